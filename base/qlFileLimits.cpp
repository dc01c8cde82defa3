#include "base/qlFileLimits.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string TooLarge(long long MaxSize)
{
    if (MaxSize >= (1LL << 20) && MaxSize % (1LL << 20) == 0)
        return "it is larger than " + std::to_string(MaxSize >> 20) + " MiB";
    return "it is larger than " + std::to_string(MaxSize) + " bytes";
}

TqlFileProblem CheckStat(const struct stat& St, long long MaxSize, std::string& Why)
{
    if (!S_ISREG(St.st_mode)) {
        Why = qlNotRegularReason(St.st_mode);
        return TqlFileProblem::NotRegular;
    }
    if (St.st_size > MaxSize) {
        Why = TooLarge(MaxSize);
        return TqlFileProblem::TooLarge;
    }
    return TqlFileProblem::None;
}

TqlFileProblem Failed(int Err, std::string& Why)
{
    Why = std::strerror(Err);
    return Err == ENOENT || Err == ENOTDIR ? TqlFileProblem::Missing : TqlFileProblem::Unreadable;
}

} // namespace

std::string qlFileKindName(mode_t Mode)
{
    if (S_ISDIR(Mode))
        return "a folder";
    if (S_ISFIFO(Mode))
        return "a FIFO";
    if (S_ISCHR(Mode))
        return "a character device";
    if (S_ISBLK(Mode))
        return "a block device";
    if (S_ISSOCK(Mode))
        return "a socket";
    if (S_ISREG(Mode))
        return "a regular file";
    return "no regular file";
}

std::string qlNotRegularReason(mode_t Mode)
{
    return S_ISREG(Mode) ? std::string() : "it is " + qlFileKindName(Mode) + ", not a regular file";
}

TqlFileProblem qlCheckLimitedFile(const std::string& FileName, long long MaxSize, std::string& Why)
{
    Why.clear();
    struct stat St {};
    if (::stat(FileName.c_str(), &St) != 0)
        return Failed(errno, Why);
    return CheckStat(St, MaxSize, Why);
}

TqlFileProblem qlReadLimitedFile(const std::string& FileName, long long MaxSize, std::string& Text,
                                 std::string& Why)
{
    Text.clear();
    const TqlFileProblem Before = qlCheckLimitedFile(FileName, MaxSize, Why);
    if (Before != TqlFileProblem::None)
        return Before;
    const int Fd = ::open(FileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (Fd < 0)
        return Failed(errno, Why);
    // The name may stand for another file by now.
    struct stat St {};
    if (::fstat(Fd, &St) != 0) {
        const int Err = errno;
        ::close(Fd);
        return Failed(Err, Why);
    }
    if (const TqlFileProblem P = CheckStat(St, MaxSize, Why); P != TqlFileProblem::None) {
        ::close(Fd);
        return P;
    }
    // A byte more than the status gives: the read that finds the end then
    // has room, and the text is not moved to a larger buffer to find it.
    Text.resize(static_cast<size_t>(St.st_size) + 1);
    size_t Used = 0;
    for (;;) {
        if (Used == Text.size())
            Text.resize(Used + 65536);
        const ssize_t N = ::read(Fd, Text.data() + Used, Text.size() - Used);
        if (N < 0) {
            if (errno == EINTR)
                continue;
            const int Err = errno;
            ::close(Fd);
            Text.clear();
            return Failed(Err, Why);
        }
        if (N == 0)
            break;
        Used += static_cast<size_t>(N);
        if (static_cast<long long>(Used) > MaxSize) {
            // It grew while it was read.
            ::close(Fd);
            Text.clear();
            Why = TooLarge(MaxSize);
            return TqlFileProblem::TooLarge;
        }
    }
    ::close(Fd);
    Text.resize(Used);
    return TqlFileProblem::None;
}

bool qlWriteAll(int Fd, const char* Data, size_t Size)
{
    while (Size > 0) {
        const ssize_t N = ::write(Fd, Data, Size);
        if (N < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (N == 0) {
            errno = EIO;
            return false;
        }
        Data += N;
        Size -= static_cast<size_t>(N);
    }
    return true;
}
