#include "ZipParts.h"

#include "cartridges/common/TextSink.h"

#include <zip.h>

namespace {

constexpr std::size_t kPieceBytes = 64 * 1024;

} // namespace

ZipParts ZipParts::OfFile(const std::string& path, std::uint64_t budget)
{
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (!archive)
        throw EConversion("The document is not a readable zip container.");
    return ZipParts(archive, budget);
}

ZipParts ZipParts::OfData(const char* data, std::size_t size, std::uint64_t budget)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(data, size, 0, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    zip_error_fini(&error);
    if (!archive) {
        if (source)
            zip_source_free(source);
        throw EConversion("The document is not a readable zip container.");
    }
    return ZipParts(archive, budget);
}

ZipParts::~ZipParts()
{
    if (archive_)
        zip_discard(archive_);
}

ZipParts::ZipParts(ZipParts&& other) noexcept : archive_(other.archive_), budget_(other.budget_), exhausted_(other.exhausted_)
{
    other.archive_ = nullptr;
}

bool ZipParts::Has(const std::string& name) const
{
    return zip_name_locate(archive_, name.c_str(), 0) >= 0;
}

std::vector<std::string> ZipParts::Names() const
{
    std::vector<std::string> names;
    const zip_int64_t count = zip_get_num_entries(archive_, 0);
    for (zip_int64_t index = 0; index < count; ++index) {
        if (const char* name = zip_get_name(archive_, static_cast<zip_uint64_t>(index), 0))
            names.emplace_back(name);
    }
    return names;
}

bool ZipParts::Stream(const std::string& name, const std::function<bool(const char*, std::size_t)>& consume)
{
    zip_file_t* file = zip_fopen(archive_, name.c_str(), 0);
    if (!file)
        return false;
    std::vector<char> piece(kPieceBytes);
    bool readable = true;
    while (!exhausted_) {
        const zip_int64_t got = zip_fread(file, piece.data(), piece.size());
        if (got < 0)
            readable = false;
        if (got <= 0)
            break;
        auto taken = static_cast<std::uint64_t>(got);
        if (taken > budget_) {
            exhausted_ = true;
            taken = budget_;
        }
        budget_ -= taken;
        if (taken > 0 && !consume(piece.data(), static_cast<std::size_t>(taken)))
            break;
    }
    zip_fclose(file);
    return readable;
}

std::string ZipParts::Read(const std::string& name, std::size_t maxBytes)
{
    std::string bytes;
    const bool whole = Stream(name, [&bytes, maxBytes](const char* data, std::size_t size) {
        bytes.append(data, size);
        return bytes.size() <= maxBytes;
    });
    return whole && bytes.size() <= maxBytes ? bytes : std::string();
}
