#pragma once
#include "kreller_gfs/image_condition.h"

#include <QImage>
#include <optional>
#include <stdexcept>
#include <string>

namespace gfs {

// A picture that could not be read or decoded; the message is the decoder's own.
class EGraphicError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The picture of a file at its full size, decoded by the decoder its extension names (BMP, GIF,
// JPG, JPEG, ICO, WMF, EMF). None when no file is there or the extension names no decoder; a
// damaged picture throws EGraphicError.
std::optional<QImage> GraphicFileToBitmap(const std::string& path);

// The width and height of a file's picture for the size test. Every byte of the picture data is
// decoded, so damage is found as GraphicFileToBitmap finds it, but JPEG pictures are decoded at
// the smallest scale and nothing is drawn. None and failures as GraphicFileToBitmap.
std::optional<TPictureSize> DecodedPictureSize(const std::string& path);

} // namespace gfs
