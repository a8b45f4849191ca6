#include "counters/pdf_page_counter.h"

#include "platform/safe_file/regular_file.h"

#include <QFile>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFLogger.hh>
#include <qpdf/QPDFObjGen.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace counters {

namespace {

// The pages of the tree under `root`, walked without recursion; -1 when
// the tree passes a bound or reaches a node twice.
std::int32_t CountTree(QPDFObjectHandle root)
{
    if (!root.isDictionary())
        return -1;
    struct Level {
        QPDFObjectHandle kids;
        int next = 0;
        int size = 0;
    };
    std::set<QPDFObjGen> seen;
    if (root.isIndirect())
        seen.insert(root.getObjGen());
    std::vector<Level> path;
    std::int32_t nodes = 1;
    std::int32_t pages = 0;
    auto enter = [&](QPDFObjectHandle node) {
        QPDFObjectHandle kids = node.getKey("/Kids");
        path.push_back({kids, 0, kids.getArrayNItems()});
    };
    if (!root.getKey("/Kids").isArray())
        return -1;
    enter(root);
    while (!path.empty()) {
        Level& level = path.back();
        if (level.next == level.size) {
            path.pop_back();
            continue;
        }
        QPDFObjectHandle kid = level.kids.getArrayItem(level.next++);
        if (!kid.isDictionary())
            continue; // not a node: passed over, as readers do
        if (++nodes > PdfPageCounter::kMaxNodes)
            return -1;
        if (kid.isIndirect() && !seen.insert(kid.getObjGen()).second)
            return -1;
        if (kid.getKey("/Kids").isArray()) {
            if (static_cast<int>(path.size()) >= PdfPageCounter::kMaxDepth)
                return -1;
            enter(kid);
        } else {
            ++pages;
        }
    }
    return pages;
}

// Counts the pages of the open file `fd` (named `name`) with qpdf; -1 for
// anything qpdf cannot read or that passes a bound of the walk.
std::int32_t CountWithQpdf(int fd, const char* name)
{
    FILE* file = ::fdopen(fd, "rb");
    if (!file)
        return -1;
    try {
        QPDF pdf;
        // Nothing of qpdf's reaches the terminal.
        auto logger = QPDFLogger::create();
        logger->setWarn(logger->discard());
        logger->setError(logger->discard());
        logger->setInfo(logger->discard());
        pdf.setLogger(logger);
        pdf.setSuppressWarnings(true);
        // A damaged cross-reference table is rebuilt by one pass over the
        // file; more is not attempted.
        pdf.setAttemptRecovery(true);
        pdf.processFile(name, file, true);
        return CountTree(pdf.getRoot().getKey("/Pages"));
    } catch (...) {
        return -1;
    }
}

// Bounds the calling process: its address space may grow by kMaxMemory,
// it may use a little more processor time than the count is given (should
// the process waiting for it be gone), and it leaves no core file. Only
// system calls: this runs in a child of a process that may have threads.
bool BoundThisProcess()
{
    const int statm = ::open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
    if (statm < 0)
        return false;
    char text[64] = {};
    const ssize_t got = ::read(statm, text, sizeof text - 1);
    ::close(statm);
    if (got <= 0)
        return false;
    const auto mapped = static_cast<rlim_t>(std::strtoull(text, nullptr, 10)); // in memory pages
    const rlim_t size = mapped * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE));
    // A tighter limit the caller set already stays.
    const auto lower = [](int resource, rlim_t wanted) {
        rlimit limit{};
        if (::getrlimit(resource, &limit) != 0)
            return false;
        limit.rlim_cur = std::min(limit.rlim_cur, wanted);
        return ::setrlimit(resource, &limit) == 0;
    };
    return lower(RLIMIT_CORE, 0) && lower(RLIMIT_AS, size + PdfPageCounter::kMaxMemory)
           && lower(RLIMIT_CPU, static_cast<rlim_t>(PdfPageCounter::kMaxSeconds + 1));
}

// Waits for the count on `answer` until `deadline`; false when none came
// (the child ended without one, or time ran out).
bool ReadAnswer(int answer, std::chrono::steady_clock::time_point deadline, std::int32_t& pages)
{
    using std::chrono::milliseconds;
    char* into = reinterpret_cast<char*>(&pages);
    std::size_t got = 0;
    while (got < sizeof pages) {
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd wait{answer, POLLIN, 0};
        const int ready = ::poll(&wait, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        const ssize_t n = ::read(answer, into + got, sizeof pages - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

// qpdf inflates a stream whole, with no bound on its size, and rebuilds a
// damaged cross-reference table by reading the whole file: a file of a few
// kilobytes can make it take gigabytes or run for hours. The count is
// therefore made in a child process, within kMaxMemory and kMaxSeconds,
// and the caller's own memory never grows with the file.
std::int32_t CountInChild(int fd, const char* name)
{
    int answer[2];
    if (::pipe2(answer, O_CLOEXEC) != 0)
        return -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(PdfPageCounter::kMaxSeconds);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(answer[0]);
        const std::int32_t pages = BoundThisProcess() ? CountWithQpdf(fd, name) : -1;
        const bool sent = ::write(answer[1], &pages, sizeof pages) == sizeof pages;
        ::_exit(sent ? 0 : 1);
    }
    ::close(answer[1]);
    std::int32_t pages = -1;
    const bool answered = child > 0 && ReadAnswer(answer[0], deadline, pages);
    ::close(answer[0]);
    if (child > 0) {
        if (!answered)
            ::kill(child, SIGKILL);
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    return answered ? pages : -1;
}

} // namespace

void* PdfPageCounter::QueryInterface(const QUuid& iid)
{
    if (iid == IID_IPdfPageCounter)
        return static_cast<IPageCounter*>(this);
    return com::Object::QueryInterface(iid);
}

com::HRESULT PdfPageCounter::CountPages(const QString& path, std::int32_t& pages)
{
    try {
        pages = Count(path);
    } catch (...) {
        pages = -1;
    }
    return com::S_OK;
}

std::int32_t PdfPageCounter::Count(const QString& path)
{
    if (path.isEmpty())
        return -1;
    const QByteArray name = QFile::encodeName(path);
    // A FIFO or a device given as a file name must not hang the count.
    const int fd = safe_file::OpenRegular(name.toStdString(), O_RDONLY);
    if (fd < 0)
        return -1;
    const std::int32_t pages = CountInChild(fd, name.constData());
    ::close(fd);
    return pages;
}

} // namespace counters
