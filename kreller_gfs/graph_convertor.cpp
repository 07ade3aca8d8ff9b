#include "kreller_gfs/graph_convertor.h"
#include "kreller_gfs/decoders.h"

#include <QBuffer>
#include <QImageReader>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace gfs {
namespace {

enum class TFormat { Bitmap, Gif, Jpeg, Metafile, EnhancedMetafile, Icon };

std::optional<TFormat> FormatOf(const std::string& path)
{
    const std::string extension = UpperExtension(path);
    if (extension == "BMP")
        return TFormat::Bitmap;
    if (extension == "GIF")
        return TFormat::Gif;
    if (extension == "JPG" || extension == "JPEG")
        return TFormat::Jpeg;
    if (extension == "WMF")
        return TFormat::Metafile;
    if (extension == "EMF")
        return TFormat::EnhancedMetafile;
    if (extension == "ICO")
        return TFormat::Icon;
    return std::nullopt;
}

bool IsFile(const std::string& path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw EGraphicError("Cannot open file");
    std::string data{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad())
        throw EGraphicError("Cannot read file");
    return data;
}

QImage Decode(TFormat format, const std::string& data)
{
    switch (format) {
    case TFormat::Bitmap:
        return DecodeWithQt(data, "bmp");
    case TFormat::Gif:
        return DecodeGif(data);
    case TFormat::Jpeg:
        return DecodeJpeg(data);
    case TFormat::Metafile:
        return DrawMetafile(data, false);
    case TFormat::EnhancedMetafile:
        return DrawMetafile(data, true);
    case TFormat::Icon:
        return DecodeWithQt(data, "ico");
    }
    return {};
}

} // namespace

namespace {

struct TScanTicker {
    std::function<void()> work;
    std::chrono::steady_clock::time_point last{};
};

TScanTicker& Ticker()
{
    static TScanTicker ticker;
    return ticker;
}

} // namespace

void SetScanTicker(std::function<void()> ticker)
{
    Ticker() = {std::move(ticker), {}};
}

void ScanTick()
{
    TScanTicker& ticker = Ticker();
    const auto now = std::chrono::steady_clock::now();
    if (!ticker.work || now - ticker.last < std::chrono::milliseconds(kScanTickMs))
        return;
    ticker.last = now;
    try {
        ticker.work();
    } catch (...) {
        // nothing may unwind through the decoders' frames
    }
}

QImage DecodeWithQt(const std::string& data, const char* format)
{
    QByteArray bytes = QByteArray::fromRawData(data.data(), static_cast<qsizetype>(data.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(false);
    reader.setAllocationLimit(kPictureLimitMB);
    QImage image = reader.read();
    if (image.isNull())
        throw EGraphicError(reader.errorString().toStdString());
    return image;
}

std::optional<QImage> GraphicFileToBitmap(const std::string& path)
{
    const std::optional<TFormat> format = FormatOf(path);
    if (!format || !IsFile(path))
        return std::nullopt;
    return Decode(*format, ReadBytes(path));
}

std::optional<TPictureSize> DecodedPictureSize(const std::string& path)
{
    const std::optional<TFormat> format = FormatOf(path);
    if (!format || !IsFile(path))
        return std::nullopt;
    const std::string data = ReadBytes(path);
    switch (*format) {
    case TFormat::Jpeg:
        return ScanJpeg(data);
    case TFormat::Gif:
        return ScanGif(data);
    case TFormat::Metafile:
        return MetafileSize(data, false);
    case TFormat::EnhancedMetafile:
        return MetafileSize(data, true);
    case TFormat::Bitmap:
    case TFormat::Icon:
        break;
    }
    const QImage image = Decode(*format, data);
    return TPictureSize{image.width(), image.height()};
}

} // namespace gfs
