#include "platform/safe_file/page_placement.h"

#include "platform/safe_file/run_mark.h"
#include "platform/safe_file/staged_file.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace safe_file {

namespace {

// A plain name in the output folder: never a way out of it.
bool IsPlainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos
           && name.find('\0') == std::string::npos;
}

bool IsSource(const struct stat& entry, const std::vector<FileIdentity>& sources)
{
    const FileIdentity id{true, entry.st_dev, entry.st_ino};
    return std::any_of(sources.begin(), sources.end(), [&id](const FileIdentity& s) { return SameFile(id, s); });
}

} // namespace

Placed PlaceOut(PrivateFolder& folder, const std::string& name, const std::string& target, const PlaceRule& rule,
                int& error)
{
    const int from = folder.Descriptor();
    const int to = folder.ParentDescriptor();
    struct stat page {};
    if (from < 0 || ::fstatat(from, name.c_str(), &page, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(page.st_mode))
        return Placed::Missing;
    if (!IsPlainName(target)) {
        error = EINVAL;
        return Placed::Failed;
    }
    // A free name is no source and replaces nothing: the page takes it.
    if (PlaceFileIfFreeAt(from, name, to, target, error))
        return Placed::Moved;
    if (error != EEXIST && error != EINVAL && error != ENOSYS)
        return Placed::Failed;
    error = 0;
    struct stat there {};
    if (::fstatat(to, target.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0
        && (!rule.replace || IsSource(there, rule.sources))) {
        if (rule.dropKeptOut && ::unlinkat(from, name.c_str(), 0) != 0) {
            error = errno;
            return Placed::Failed;
        }
        return rule.replace ? Placed::SourceKept : Placed::KeptOut;
    }
    return PlaceFileAt(from, name, to, target, error) ? Placed::Moved : Placed::Failed;
}

PagePlacement PlacePages(PrivateFolder& folder, std::int64_t first, std::int64_t last, std::int64_t engineCount,
                         const std::function<std::string(std::int64_t)>& finalName, const PlaceRule& rule)
{
    PagePlacement placed;
    std::vector<std::pair<std::int64_t, std::string>> pages;
    for (std::string& name : folder.Files()) {
        const std::int64_t k = EnginePageIndex(name);
        if (k >= first && k <= last)
            pages.emplace_back(k, std::move(name));
    }
    std::sort(pages.begin(), pages.end());

    // The pages the engine reported (none when the count is unknown).
    const std::int64_t reportedLast = engineCount > 0 ? std::min(last, engineCount - 1) : first - 1;
    placed.expected = std::max<std::int64_t>(0, reportedLast - first + 1);
    std::int64_t found = std::count_if(pages.begin(), pages.end(),
                                       [reportedLast](const auto& page) { return page.first <= reportedLast; });
    for (const auto& [k, name] : pages) {
        if (placed.failed > 0 && rule.stopAtFailure)
            break;
        int error = 0;
        switch (PlaceOut(folder, name, finalName(k), rule, error)) {
        case Placed::Moved: ++placed.moved; break;
        case Placed::KeptOut: ++placed.keptOut; break;
        case Placed::SourceKept: ++placed.sourcesKept; break;
        case Placed::Missing:
            if (k <= reportedLast)
                --found; // gone since it was listed
            break;
        case Placed::Failed:
            ++placed.failed;
            if (placed.error == 0)
                placed.error = error;
            break;
        }
    }
    placed.missing = placed.expected - found;
    return placed;
}

} // namespace safe_file
