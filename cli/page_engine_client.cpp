#include "cli/page_engine_client.h"

#include "cli/program_folder.h"

#include "operations/tiff_pdf_commands.h"
#include "platform/com/com.h"

void CheckPageEngine()
{
    com::Ptr<com::Object> control = com::CreateObject(QString::fromUtf16(kPageEngineProgId));
}

QString PageEngineRegistrationHint()
{
    // The registration tool and the engine's module are built beside the
    // program.
    const QString folder = ProgramFolder() + QLatin1Char('/');
    return QStringLiteral("the page engine is not registered for this user; register it with: ") + folder
           + QStringLiteral(VELMORA_REGSVR_NAME) + QLatin1Char(' ') + folder
           + QStringLiteral(VELMORA_ENGINE_MODULE_NAME);
}
