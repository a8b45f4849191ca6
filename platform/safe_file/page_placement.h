#pragma once
// How the files the page engine wrote into a private folder reach their
// final names in the output folder around it: one rule for both programs.
//
// Every move is made between the two open folders (private_folder.h), so a
// page goes into the output folder the private folder was made in, wherever
// that now is, and never through a link put in its place. A free final name
// is taken in one step that cannot replace anything. A taken one is kept
// (the page stays, or is dropped when the caller says so) when the caller
// does not replace, or when it is one of the run's sources; otherwise it is
// replaced by the rule of replace_rule.h.
//
// The pages placed are then held against the pages the engine reported:
// a page of that count that is nowhere to be found (taken away meanwhile)
// leaves the file incomplete, whatever the engine answered.
//
//     PlaceRule rule{.replace = true, .sources = {IdentityOf(source)}};
//     PagePlacement placed = PlacePages(folder, 0, kLastPage, pageCount,
//                                       [](std::int64_t k) { return "scan_" + std::to_string(k + 1) + ".tif"; },
//                                       rule);
//     if (!placed.Complete()) ...

#include "platform/safe_file/file_identity.h"
#include "platform/safe_file/private_folder.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace safe_file {

struct PlaceRule {
    // A file under the final name is replaced (else it is kept).
    bool replace = true;
    // A page kept out of its name is removed (else it stays in the folder).
    bool dropKeptOut = false;
    // Files never replaced, whatever the final name's spelling: the run's
    // sources.
    std::vector<FileIdentity> sources;
    // PlacePages stops at the first refused move, the later pages left
    // where they are.
    bool stopAtFailure = false;
};

enum class Placed {
    Missing,    // no such file in the private folder: nothing happened
    Moved,      // it now has its final name
    KeptOut,    // a file of the final name stays (the caller does not replace)
    SourceKept, // the final name is one of the sources, which stays
    Failed,     // the move was refused; `error` says why
};

// Moves the file `name` of the private folder to `target`, a name (no "/")
// in the output folder, by the rule. `error` is set when it failed.
Placed PlaceOut(PrivateFolder& folder, const std::string& name, const std::string& target, const PlaceRule& rule,
                int& error);

inline constexpr std::int64_t kLastPage = std::numeric_limits<std::int64_t>::max();

struct PagePlacement {
    std::int64_t expected = 0;    // pages the engine reported in the range
    std::int64_t missing = 0;     // of those, found nowhere in the folder
    std::int64_t moved = 0;       // pages now under their final names
    std::int64_t keptOut = 0;     // pages kept out of a name that is taken
    std::int64_t sourcesKept = 0; // pages kept out of a source's name
    std::int64_t failed = 0;      // pages whose move was refused
    int error = 0;                // the first refusal's reason
    bool Complete() const { return missing == 0 && keptOut == 0 && sourcesKept == 0 && failed == 0; }
};

// Places the engine's page files ("page<k>.tif") of 0-based index first to
// last found in the folder, in index order, under finalName(k). The pages
// the engine reported are first to the smaller of last and
// engineCount - 1 (none when the count is negative: unknown). finalName
// may raise; the placement then stops there.
PagePlacement PlacePages(PrivateFolder& folder, std::int64_t first, std::int64_t last, std::int64_t engineCount,
                         const std::function<std::string(std::int64_t)>& finalName, const PlaceRule& rule);

} // namespace safe_file
