#pragma once
#include "kreller_gfs/graph_convertor.h"
#include "kreller_gfs/image_condition.h"

#include <QImage>
#include <functional>
#include <string>

// The decoders behind graph_convertor. Each takes the whole file's bytes and throws EGraphicError
// with its own message when the picture cannot be decoded.
namespace gfs {

// A picture of the given size to decode into. One that would take more than kPictureLimitMB
// throws EGraphicError before anything is allocated: a damaged or hostile file may state any size,
// and filling a picture of that size would take the desktop's memory.
inline constexpr int kPictureLimitMB = 1024;
inline QImage NewPicture(int width, int height, QImage::Format format)
{
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (width <= 0 || height <= 0)
        throw EGraphicError("Picture without a size: " + size);
    const auto bytes = static_cast<double>(width) * height * QImage::toPixelFormat(format).bitsPerPixel() / 8;
    QImage picture;
    if (bytes <= double(kPictureLimitMB) * 1024 * 1024)
        picture = QImage(width, height, format);
    if (picture.isNull())
        throw EGraphicError("Picture too large to show: " + size);
    return picture;
}

// Work that lets the host's window answer while pictures are scanned for the size test; the scans
// call ScanTick for every row, which runs it about every kScanTickMs (at once on the first row).
inline constexpr int kScanTickMs = 15;
void SetScanTicker(std::function<void()> ticker);
void ScanTick();

// The whole picture, converted to RGB.
QImage DecodeJpeg(const std::string& data);
// The size, with every coefficient entropy-decoded but the picture produced at 1/8 scale in grey.
TPictureSize ScanJpeg(const std::string& data);

// The first frame at its own size; pixels of the transparent colour are transparent.
QImage DecodeGif(const std::string& data);
// The first frame's size, with all of its data decoded into a single reused line.
TPictureSize ScanGif(const std::string& data);

// A picture read by Qt's reader of the given format ("bmp", "ico").
QImage DecodeWithQt(const std::string& data, const char* format);

// The size in pixels from a Windows metafile's (enhanced == false) or enhanced metafile's header.
TPictureSize MetafileSize(const std::string& data, bool enhanced);
// Whether a Windows metafile starts with the placeable header that states its bounds.
bool IsPlaceableMetafile(const std::string& data);

// A metafile's picture drawn at the size its header states, on white.
QImage DrawMetafile(const std::string& data, bool enhanced);

} // namespace gfs
