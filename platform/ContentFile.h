#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/FileSystem.h"

namespace platform {

// What tells one state of a file from another: a file replaced, rewritten or touched since has
// another identity, as far as the file system's clock can tell.
struct TContentIdentity {
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::int64_t Size = 0;
    std::int64_t ModifiedNs = 0;
    std::int64_t ChangedNs = 0;
    unsigned Mode = 0;

    bool operator==(const TContentIdentity&) const = default;
};

// The identity of the file at path as it stands (links followed); nothing when it cannot be
// stat'ed.
std::optional<TContentIdentity> ContentIdentityOf(const std::string& path);

// A file to be read, as a directory listing found it: Regular when it was a regular file (or a
// link to one) then, which spares the look at its type before it is opened.
struct TListedFile {
    std::string Path;
    bool Regular = false;
    TWalkPlace Place;  // where the walk will take it up
};

// A file opened to read its content front to back. Only regular files are opened: FIFOs, sockets
// and devices are left alone (opening a FIFO blocks, a device may never end) and have no content.
class TContentFile {
public:
    enum class TKind {
        Regular,     // opened; Read gives its bytes
        Special,     // a FIFO, socket or device: not opened, no content
        Unopenable,  // missing, refused, a directory: no content to speak of
    };

    // The content from byte from on (the size counts from there too). listedRegular: a listing
    // just found a regular file at path, so it is opened without a look at its type first; should
    // something else have taken its place since, it is still never read (a FIFO is opened without
    // waiting for a writer).
    explicit TContentFile(const std::string& path, std::uint64_t from = 0, bool listedRegular = false);
    ~TContentFile();
    TContentFile(const TContentFile&) = delete;
    TContentFile& operator=(const TContentFile&) = delete;

    TKind Kind() const { return kind_; }
    // The size the file had when it was opened; 0 for anything but a regular file.
    std::uint64_t SizeWhenOpened() const { return size_; }
    // The identity of what was opened (or, when it was not, of what was found at the path);
    // nothing when the path could not be stat'ed.
    const std::optional<TContentIdentity>& Identity() const { return identity_; }

    // Reads up to length bytes from where the last read stopped: fewer only at the end of the
    // file, 0 once there is nothing more. A failing read throws EFileError.
    std::size_t Read(char* into, std::size_t length);
    // Reading starts again where the content starts; false when the file cannot go back there.
    bool Rewind();

private:
    // Stats the path: its identity and kind.
    TKind LookAtType();
    // Opens the path and stats what was opened; false when it could not be opened.
    bool Open(std::uint64_t from);

    std::string path_;
    std::uint64_t from_ = 0;
    int fd_ = -1;
    TKind kind_ = TKind::Unopenable;
    std::uint64_t size_ = 0;
    std::optional<TContentIdentity> identity_;
};

} // namespace platform
