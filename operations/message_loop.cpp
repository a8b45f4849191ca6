#include "operations/message_loop.h"

#include <QCoreApplication>

void YieldToMessageLoop()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}
