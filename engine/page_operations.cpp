#include "engine/page_operations.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>
#include <sys/stat.h>

#include "engine/failure_reason.h"
#include "engine/output_file.h"
#include "engine/output_target.h"
#include "engine/page_layout.h"
#include "engine/read_allowance.h"
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

// Pages first..last of one reader, in order, as placed in an output (none
// when last < first). An output is a list of such runs, so a file of
// millions of pages needs no list of them.
struct PageRun {
    TiffReader* reader;
    std::int32_t first;
    std::int32_t last;
    // Names the reader's file after the page number in a refusal (" of
    // x.tif"), where the operation has more than one input.
    const std::string* of = nullptr;
};

// Notes why page `page` (of the file `of` names) was refused, when it was.
void NotePageRefusal(std::int32_t page, const std::string* of, const std::string& why)
{
    if (!why.empty())
        NoteRefusal("page " + std::to_string(static_cast<std::int64_t>(page) + 1) + (of ? *of : std::string()) + ": "
                    + why);
}

// Appends page `page` of `reader` to `out`, noting why it was refused.
bool AppendPage(OutputFile& out, TiffReader& reader, std::int32_t page, bool isLast, const std::string* of = nullptr)
{
    if (reader.WritePage(out, page, isLast, kOutOrder))
        return true;
    NotePageRefusal(page, of, reader.Refusal());
    return false;
}

// The last component of a path.
std::string FileNameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Notes, for a file read as having no pages, why: the system's reason when
// it could not be opened, else that it is a BigTIFF file or no TIFF file at
// all. `path`, when given, is named in front of the text. A file that has
// pages notes nothing.
void NoteWhyNoPages(TiffReader& reader, const std::string* path = nullptr)
{
    if (!reader.stream.IsOpen()) {
        NoteFailureReason(reader.stream.OpenError());
        return;
    }
    const std::string named = path ? FileNameOf(*path) + ": " : std::string();
    if (reader.IsBigTiff())
        NoteRefusal(named + "BigTIFF files (64-bit offsets) are not read");
    else if (!reader.HasTiffHeader())
        NoteRefusal(named + "not a TIFF file");
    else if (reader.PageCount() == 0)
        NoteRefusal(named + "no pages");
}

// " of <the file's name>".
std::string OfFile(const std::string& name)
{
    return " of " + FileNameOf(name);
}

// Writes a whole file made of the pages of `runs`, in order.
bool WriteFile(OutputTarget& target, const std::vector<PageRun>& runs)
{
    OutputFile& out = target.File();
    std::size_t lastRun = runs.size();
    for (std::size_t r = 0; r < runs.size(); ++r)
        if (runs[r].first <= runs[r].last)
            lastRun = r;
    if (out.Failed() || lastRun == runs.size())
        return false;
    WriteFileHeader(out, kOutOrder);
    for (std::size_t r = 0; r <= lastRun; ++r)
        for (std::int32_t i = runs[r].first; i <= runs[r].last; ++i)
            if (!AppendPage(out, *runs[r].reader, i, r == lastRun && i == runs[r].last, runs[r].of)) {
                out.Fail();
                return false;
            }
    return !out.Failed();
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
    // A damaged page makes no file at all, nor does a page left once the
    // operation has read all it may.
    const char* damage = reader.Damage(index);
    if (damage || reader.Allowance().Spent()) {
        NotePageRefusal(index, nullptr, damage ? damage : kUnreadReason);
        return false;
    }
    // A page file that names the input itself replaces it only at the end.
    OutputTarget target(ExtractedPageFile(folder, index), &budget, staging);
    if (!WriteFile(target, {{&reader, index, index}})) {
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
bool RewriteInPlace(const std::string& input, const std::vector<PageRun>& pages,
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
    ReadAllowance allowance;

    // The last page of the last input that has pages ends the chain, so the
    // next input with pages is opened before the current one is finished.
    std::size_t nextInput = 0;
    auto openNextWithPages = [&]() -> std::unique_ptr<TiffReader> {
        while (nextInput < inputs.size()) {
            auto reader = std::make_unique<TiffReader>(inputs[nextInput]);
            NoteWhyNoPages(*reader, inputs.size() > 1 ? &inputs[nextInput] : nullptr);
            ++nextInput;
            if (reader->PageCount() > 0) {
                AddInputBudget(budget, reader->stream.Size());
                allowance.AddInput(reader->stream.Size());
                reader->ShareReadAllowance(allowance);
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
    std::size_t currentInput = nextInput - 1;
    while (current) {
        std::unique_ptr<TiffReader> following = openNextWithPages();
        const std::size_t followingInput = nextInput - 1;
        const std::int32_t n = current->PageCount();
        const std::string of = inputs.size() > 1 ? OfFile(inputs[currentInput]) : std::string();
        for (std::int32_t i = 0; i < n; ++i)
            if (!AppendPage(out, *current, i, !following && i == n - 1, &of)) {
                target.Abandon();
                return false;
            }
        current = std::move(following);
        currentInput = followingInput;
    }
    return target.Publish();
}

std::int32_t ExtractAllPages(std::string input, std::string folder)
{
    TiffReader reader(input);
    NoteWhyNoPages(reader);
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
    NoteWhyNoPages(reader);
    const bool allWritten = ExtractRange(reader, start, end, folder);
    // The pages past the range are only counted.
    const std::int32_t n = reader.CountAllPages();
    return allWritten ? n : -1;
}

bool ExtractPagesInRange(std::string input, std::int32_t start, std::int32_t end, std::string folder)
{
    TiffReader reader(input, PagesNeededFor(end));
    NoteWhyNoPages(reader);
    return ExtractRange(reader, start, end, folder) && reader.PageCount() > 0;
}

bool SplitFile(std::string input, std::int32_t t, std::string out1, std::string out2)
{
    auto reader = std::make_unique<TiffReader>(input);
    NoteWhyNoPages(*reader);
    const std::int32_t n = reader->PageCount();
    if (t < 2 || t > n)
        return false;
    std::uint64_t budget = BudgetFor({reader.get()});
    OutputTarget first(out1, &budget);
    if (!WriteFile(first, {{reader.get(), 0, t - 2}}) || !first.Close())
        return false;
    // Two outputs of one name: the second part wins.
    OutputTarget second(out2, &budget);
    if (!WriteFile(second, {{reader.get(), t - 1, n - 1}}) || !second.Close())
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
    NoteWhyNoPages(reader);
    const std::int32_t n = reader.PageCount();
    if (n == 1 && p == 1)
        NoteRefusal("the only page of a file is not deleted");
    if (p < 1 || p > n || n == 1)
        return false;
    return RewriteInPlace(input, {{&reader, 0, p - 2}, {&reader, p, n - 1}}, readers);
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
    NoteWhyNoPages(reader);
    const std::int32_t n = reader.PageCount();
    if (p1 < 1 || p1 > n || p2 < 1 || p2 > n)
        return false;
    // 0-based: the pages before the first, the second, those between, the
    // first, the rest.
    const std::int32_t lo = std::min(p1, p2) - 1;
    const std::int32_t hi = std::max(p1, p2) - 1;
    return RewriteInPlace(input,
                          {{&reader, 0, lo - 1},
                           {&reader, hi, hi},
                           {&reader, lo + 1, hi - 1},
                           {&reader, lo, lo},
                           {&reader, hi + 1, n - 1}},
                          readers);
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
    // A missing input is made: its absence is no reason to give.
    if (Exists(input))
        NoteWhyNoPages(a);
    NoteWhyNoPages(b, &from);
    // One read allowance for both files.
    ReadAllowance allowance;
    allowance.AddInput(a.stream.Size());
    allowance.AddInput(b.stream.Size());
    a.ShareReadAllowance(allowance);
    b.ShareReadAllowance(allowance);
    const std::int32_t nA = a.PageCount();
    const std::int32_t nB = b.PageCount();
    // Nothing to insert; and an existing input whose pages cannot be read
    // is never replaced (its content would be lost). A missing input is
    // created with the pages of `from`.
    if (nB == 0 || (nA == 0 && Exists(input)))
        return false;
    // The pages of A that stay in front (at itself may be any number).
    const std::int32_t before = at < 1 ? 0 : (at - 1 > nA ? nA : at - 1);
    const std::string of = OfFile(from);
    return RewriteInPlace(input, {{&a, 0, before - 1}, {&b, 0, nB - 1, &of}, {&a, before, nA - 1}}, readers);
}

} // namespace stavren
