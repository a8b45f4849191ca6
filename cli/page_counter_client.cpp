#include "cli/page_counter_client.h"

#include "cli/program_folder.h"

#include "counters/page_counter.h"
#include "platform/runtime/run_time_error.h"

#include <memory>

PageCountFunction MakeTiffPageCounter()
{
    com::Ptr<com::Object> object = com::CreateInstance(counters::CLSID_TiffPageCounter);
    auto* counter = com::QueryInterface<counters::IPageCounter>(object, counters::IID_ITiffPageCounter);
    if (!counter)
        throw RunTimeError(rterr::CantCreateObject);
    // A counter without the bounded count counts the whole chain: the
    // answer to "does the file reach page N" is the same.
    auto* upTo = com::QueryInterface<counters::IPageCountUpTo>(object, counters::IID_ITiffPageCountUpTo);
    // The function keeps the object alive for as long as it is used.
    return [object, counter, upTo](const QString& path, std::int32_t atMost) {
        std::int32_t pages = 0;
        const com::HRESULT hr = upTo ? upTo->CountPagesUpTo(path, atMost, pages) : counter->CountPages(path, pages);
        if (com::Failed(hr))
            throw RunTimeError(rterr::AutomationError, QStringLiteral("Automation error"));
        return pages;
    };
}

QString PageCounterRegistrationHint()
{
    // The registration tool and the counters' module are built beside the
    // program.
    const QString folder = ProgramFolder() + QLatin1Char('/');
    return QStringLiteral("the TIFF page counter is not registered for this user; register it with: ") + folder
           + QStringLiteral(VELMORA_REGSVR_NAME) + QLatin1Char(' ') + folder
           + QStringLiteral(VELMORA_COUNTERS_MODULE_NAME);
}

PageCountFunction MakeTiffPageCounterOnFirstUse()
{
    auto counter = std::make_shared<PageCountFunction>();
    return [counter](const QString& path, std::int32_t atMost) {
        if (!*counter)
            *counter = MakeTiffPageCounter();
        return (*counter)(path, atMost);
    };
}
