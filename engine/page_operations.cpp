#include "engine/page_operations.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>
#include <sys/stat.h>

#include "engine/failure_reason.h"
#include "engine/output_file.h"
#include "engine/output_target.h"
#include "engine/tiff_reader.h"
#include "engine/tiff_types.h"
#include "platform/safe_file/edit_lock.h"
#include "platform/safe_file/private_folder.h"

namespace stavren {

namespace {

// Every file written is little-endian.
constexpr std::uint32_t kOutOrder = kLittleEndian;

// The bytes all outputs of one operation may write together, temporary
// files and outputs that failed included: twice the size of its input
// files, and a base. Pages may share data in their file (every page naming
// one profile), and each copy carries its own; the base lets such copies
// take up to 256 MiB beyond that (every page of a file naming one profile
// of 100 KB, a thousand times over), and each page carries at most its
// file's size (page_layout.h). A file whose pages all name one large block
// stops there instead of filling the disk.
constexpr std::uint64_t kBudgetBase = 256ull << 20;

constexpr std::uint64_t kBudgetMax = ~std::uint64_t(0);

// Adds the allowance of an input file of `fileSize` bytes.
void AddInputBudget(std::uint64_t& budget, std::uint64_t fileSize)
{
    const std::uint64_t more = fileSize > kBudgetMax / 2 ? kBudgetMax : 2 * fileSize;
    budget = more > kBudgetMax - budget ? kBudgetMax : budget + more;
}

// The budget of an operation on the files of `readers`.
std::uint64_t BudgetFor(const std::vector<const TiffReader*>& readers)
{
    std::uint64_t budget = kBudgetBase;
    for (const TiffReader* reader : readers)
        AddInputBudget(budget, reader->stream.Size());
    return budget;
}

bool Exists(const std::string& name)
{
    struct stat st {};
    return ::stat(name.c_str(), &st) == 0;
}

// How long an in-place change waits for another run changing the same file.
constexpr std::chrono::seconds kEditPatience{60};

// Keeps other runs from changing `input` until the lock goes; waits while
// one does. A missing input needs no lock. False (with the reason noted)
// when the file stayed locked or could not be opened.
bool Locked(const safe_file::EditLock& lock)
{
    if (lock.Held() || lock.Error() == ENOENT)
        return true;
    NoteFailureReason(lock.Error());
    return false;
}

// One page of one reader, as placed in an output.
struct PageRefIn {
    TiffReader* reader;
    std::int32_t page;
};

// Writes a whole file made of `pages`, in order.
bool WriteFile(OutputTarget& target, const std::vector<PageRefIn>& pages)
{
    OutputFile& out = target.File();
    if (out.Failed() || pages.empty())
        return false;
    WriteFileHeader(out, kOutOrder);
    for (std::size_t i = 0; i < pages.size(); ++i)
        if (!pages[i].reader->WritePage(out, pages[i].page, i + 1 == pages.size(), kOutOrder)) {
            out.Fail();
            return false;
        }
    return !out.Failed();
}

std::vector<PageRefIn> PagesOf(TiffReader& reader, std::int32_t first, std::int32_t last)
{
    std::vector<PageRefIn> pages;
    for (std::int32_t i = first; i <= last; ++i)
        pages.push_back({&reader, i});
    return pages;
}

// How the page files of an extraction into `folder` reach their names:
// under those names at once in a live private folder (the programs
// extract into one and move each page out to its final name), else
// through a temporary sibling.
safe_file::Staging ExtractionStaging(const std::string& folder)
{
    return safe_file::IsLivePrivateFolder(folder) ? safe_file::Staging::InPrivateFolder : safe_file::Staging::Sibling;
}

// Writes one extracted page file; false when it could not be written.
bool ExtractPage(TiffReader& reader, std::int32_t index, const std::string& folder, std::uint64_t& budget,
                 safe_file::Staging staging)
{
    // A damaged page makes no file at all.
    if (!reader.HasImage(index))
        return false;
    // A page file that names the input itself replaces it only at the end.
    OutputTarget target(ExtractedPageFile(folder, index), &budget, staging);
    if (!WriteFile(target, {{&reader, index}})) {
        target.Abandon();
        return false;
    }
    return target.Publish();
}

// The pages a range ending at `end` reads: those up to its end, and at least
// the first, which tells whether the file has pages at all.
std::int32_t PagesNeededFor(std::int32_t end)
{
    return end >= TiffReader::kEveryPage - 1 ? TiffReader::kEveryPage : std::max(end, 0) + 1;
}

// Writes the pages of `reader` whose index lies in start..end and among the
// pages read; false when one of them could not be written.
bool ExtractRange(TiffReader& reader, std::int32_t start, std::int32_t end, const std::string& folder)
{
    const std::int32_t n = reader.PageCount();
    const std::int32_t first = start < 0 ? 0 : start;
    const std::int32_t last = end >= n ? n - 1 : end;
    std::uint64_t budget = BudgetFor({&reader});
    const safe_file::Staging staging = ExtractionStaging(folder);
    bool allWritten = true;
    for (std::int32_t i = first; i <= last; ++i)
        allWritten = ExtractPage(reader, i, folder, budget, staging) && allWritten;
    return allWritten;
}

// Replaces `input` by the pages listed, through its temporary sibling.
// The readers are destroyed before the file is replaced.
bool RewriteInPlace(const std::string& input, const std::vector<PageRefIn>& pages,
                    std::vector<std::unique_ptr<TiffReader>>& readers)
{
    std::vector<const TiffReader*> inputs;
    for (const auto& reader : readers)
        inputs.push_back(reader.get());
    std::uint64_t budget = BudgetFor(inputs);
    OutputTarget target(input, &budget);
    const bool written = WriteFile(target, pages) && target.Close();
    readers.clear();
    if (!written) {
        target.Abandon();
        return false;
    }
    return target.Publish();
}

} // namespace

bool MergeFiles(const std::vector<std::string>& inputs, std::string output)
{
    std::uint64_t budget = kBudgetBase;

    // The last page of the last input that has pages ends the chain, so the
    // next input with pages is opened before the current one is finished.
    std::size_t nextInput = 0;
    auto openNextWithPages = [&]() -> std::unique_ptr<TiffReader> {
        while (nextInput < inputs.size()) {
            auto reader = std::make_unique<TiffReader>(inputs[nextInput++]);
            if (reader->PageCount() > 0) {
                AddInputBudget(budget, reader->stream.Size());
                return reader;
            }
        }
        return nullptr;
    };
    std::unique_ptr<TiffReader> current = openNextWithPages();
    if (!current)
        return false; // no page to write: no file is made
    // Written aside: the output may be one of the inputs.
    OutputTarget target(output, &budget);
    OutputFile& out = target.File();
    if (out.Failed())
        return false;
    WriteFileHeader(out, kOutOrder);
    while (current) {
        std::unique_ptr<TiffReader> following = openNextWithPages();
        const std::int32_t n = current->PageCount();
        for (std::int32_t i = 0; i < n; ++i)
            if (!current->WritePage(out, i, !following && i == n - 1, kOutOrder)) {
                target.Abandon();
                return false;
            }
        current = std::move(following);
    }
    return target.Publish();
}

std::int32_t ExtractAllPages(std::string input, std::string folder)
{
    TiffReader reader(input);
    const std::int32_t n = reader.PageCount();
    std::uint64_t budget = BudgetFor({&reader});
    const safe_file::Staging staging = ExtractionStaging(folder);
    bool allWritten = true;
    for (std::int32_t i = 0; i < n; ++i)
        allWritten = ExtractPage(reader, i, folder, budget, staging) && allWritten;
    return allWritten ? n : -1;
}

std::int32_t ExtractPageRange(std::string input, std::int32_t start, std::int32_t end, std::string folder)
{
    TiffReader reader(input, PagesNeededFor(end));
    const bool allWritten = ExtractRange(reader, start, end, folder);
    // The pages past the range are only counted.
    const std::int32_t n = reader.CountAllPages();
    return allWritten ? n : -1;
}

bool ExtractPagesInRange(std::string input, std::int32_t start, std::int32_t end, std::string folder)
{
    TiffReader reader(input, PagesNeededFor(end));
    return ExtractRange(reader, start, end, folder) && reader.PageCount() > 0;
}

bool SplitFile(std::string input, std::int32_t t, std::string out1, std::string out2)
{
    auto reader = std::make_unique<TiffReader>(input);
    const std::int32_t n = reader->PageCount();
    if (t < 2 || t > n)
        return false;
    std::uint64_t budget = BudgetFor({reader.get()});
    OutputTarget first(out1, &budget);
    if (!WriteFile(first, PagesOf(*reader, 0, t - 2)) || !first.Close())
        return false;
    // Two outputs of one name: the second part wins.
    OutputTarget second(out2, &budget);
    if (!WriteFile(second, PagesOf(*reader, t - 1, n - 1)) || !second.Close())
        return false;
    reader.reset();
    // Both outputs are complete before either is put in place.
    if (!first.Publish()) {
        second.Abandon();
        return false;
    }
    return second.Publish();
}

bool DeletePage(std::string input, std::int32_t p)
{
    const safe_file::EditLock lock(input, kEditPatience);
    if (!Locked(lock))
        return false;
    std::vector<std::unique_ptr<TiffReader>> readers;
    readers.push_back(std::make_unique<TiffReader>(input));
    TiffReader& reader = *readers[0];
    const std::int32_t n = reader.PageCount();
    if (p < 1 || p > n || n == 1)
        return false;
    std::vector<PageRefIn> pages;
    for (std::int32_t i = 0; i < n; ++i)
        if (i != p - 1)
            pages.push_back({&reader, i});
    return RewriteInPlace(input, pages, readers);
}

bool SwapPages(std::string input, std::int32_t p1, std::int32_t p2)
{
    if (p1 == p2)
        return true;
    const safe_file::EditLock lock(input, kEditPatience);
    if (!Locked(lock))
        return false;
    std::vector<std::unique_ptr<TiffReader>> readers;
    readers.push_back(std::make_unique<TiffReader>(input));
    TiffReader& reader = *readers[0];
    const std::int32_t n = reader.PageCount();
    if (p1 < 1 || p1 > n || p2 < 1 || p2 > n)
        return false;
    std::vector<PageRefIn> pages;
    for (std::int32_t k = 1; k <= n; ++k)
        pages.push_back({&reader, (k == p1 ? p2 : k == p2 ? p1 : k) - 1});
    return RewriteInPlace(input, pages, readers);
}

std::int32_t CountTiffPages(std::string input)
{
    // Counting needs no entries: the walk alone.
    const SourceFile file(input);
    return DirectoryChain::CountPages(file);
}

bool InsertPages(std::string input, std::int32_t at, std::string from)
{
    const safe_file::EditLock lock(input, kEditPatience);
    if (!Locked(lock))
        return false;
    std::vector<std::unique_ptr<TiffReader>> readers;
    readers.push_back(std::make_unique<TiffReader>(input));
    readers.push_back(std::make_unique<TiffReader>(from));
    TiffReader& a = *readers[0];
    TiffReader& b = *readers[1];
    const std::int32_t nA = a.PageCount();
    const std::int32_t nB = b.PageCount();
    // Nothing to insert; and an existing input whose pages cannot be read
    // is never replaced (its content would be lost). A missing input is
    // created with the pages of `from`.
    if (nB == 0 || (nA == 0 && Exists(input)))
        return false;
    // The pages of A that stay in front (at itself may be any number).
    const std::int32_t before = at < 1 ? 0 : (at - 1 > nA ? nA : at - 1);
    std::vector<PageRefIn> pages;
    for (std::int32_t i = 0; i < before; ++i)
        pages.push_back({&a, i});
    for (std::int32_t i = 0; i < nB; ++i)
        pages.push_back({&b, i});
    for (std::int32_t i = before; i < nA; ++i)
        pages.push_back({&a, i});
    return RewriteInPlace(input, pages, readers);
}

} // namespace stavren
