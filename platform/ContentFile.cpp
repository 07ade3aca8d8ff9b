#include "platform/ContentFile.h"

#include "platform/Files.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

bool IsSpecialFile(mode_t mode)
{
    return S_ISFIFO(mode) || S_ISSOCK(mode) || S_ISCHR(mode) || S_ISBLK(mode);
}

TContentFile::TKind KindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return TContentFile::TKind::Regular;
    return IsSpecialFile(mode) ? TContentFile::TKind::Special : TContentFile::TKind::Unopenable;
}

TContentIdentity IdentityOf(const struct stat& info)
{
    return {static_cast<std::uint64_t>(info.st_dev),
            static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::int64_t>(info.st_size),
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec,
            static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1'000'000'000 + info.st_ctim.tv_nsec,
            static_cast<unsigned>(info.st_mode)};
}

} // namespace

std::optional<TContentIdentity> ContentIdentityOf(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return IdentityOf(info);
}

TContentFile::TContentFile(const std::string& path, std::uint64_t from, bool listedRegular) : path_(path), from_(from)
{
    // The type is looked at before opening, so that a FIFO or a device is never opened at all.
    if (!listedRegular && LookAtType() != TKind::Regular)
        return;
    if (Open(from) || !listedRegular)
        return;
    // The listing is out of date: what is there now has a type of its own, or nothing.
    if (LookAtType() == TKind::Regular)
        kind_ = TKind::Unopenable;
}

TContentFile::TKind TContentFile::LookAtType()
{
    struct stat info {};
    if (::stat(path_.c_str(), &info) != 0)
        return kind_ = TKind::Unopenable;
    identity_ = IdentityOf(info);
    return kind_ = KindOf(info.st_mode);
}

bool TContentFile::Open(std::uint64_t from)
{
    // O_NONBLOCK: should a FIFO have taken the file's place since, the open does not wait on it.
    fd_ = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0) {
        kind_ = TKind::Unopenable;
        return false;
    }
    identity_ = IdentityOf(info);
    if ((kind_ = KindOf(info.st_mode)) != TKind::Regular)
        return true;
    const auto size = static_cast<std::uint64_t>(info.st_size);
    size_ = size > from ? size - from : 0;
    if (from > 0 && ::lseek(fd_, static_cast<off_t>(std::min(from, size)), SEEK_SET) < 0)
        kind_ = TKind::Unopenable;
    // A file within the kernel's usual read-ahead is read ahead whole anyway: asking costs a call
    // for every small file and gains nothing.
    constexpr std::uint64_t kUsualReadAhead = std::uint64_t{128} << 10;
    if (size_ > kUsualReadAhead)
        ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    return true;
}

TContentFile::~TContentFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool TContentFile::Rewind()
{
    if (kind_ != TKind::Regular)
        return true;  // nothing was read
    return ::lseek(fd_, static_cast<off_t>(from_), SEEK_SET) >= 0;
}

std::size_t TContentFile::Read(char* into, std::size_t length)
{
    if (kind_ != TKind::Regular)
        return 0;
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got = ::read(fd_, into + done, length - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw EFileError(path_, errno);
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

} // namespace platform
