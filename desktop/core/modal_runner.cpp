#include "desktop/core/modal_runner.h"

#include <utility>

namespace {
ModalRunner& InstalledRunner()
{
    static ModalRunner runner;
    return runner;
}
} // namespace

int RunModal(QDialog& dialog)
{
    if (const ModalRunner& runner = InstalledRunner())
        return runner(dialog);
    return dialog.exec();
}

ModalRunner SetModalRunner(ModalRunner runner)
{
    return std::exchange(InstalledRunner(), std::move(runner));
}
