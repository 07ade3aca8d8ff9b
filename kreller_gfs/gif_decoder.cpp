#include "kreller_gfs/decoders.h"
#include "kreller_gfs/graph_convertor.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include <gif_lib.h>

namespace gfs {
namespace {

struct TMemoryInput {
    const std::string* Data;
    std::size_t Offset = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int length)
{
    auto* input = static_cast<TMemoryInput*>(gif->UserData);
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(length), input->Data->size() - input->Offset);
    std::memcpy(buffer, input->Data->data() + input->Offset, count);
    input->Offset += count;
    return static_cast<int>(count);
}

[[noreturn]] void Fail(int error)
{
    const char* message = GifErrorString(error);
    throw EGraphicError(message ? message : "Unknown GIF error");
}

struct TGifCloser {
    void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};
using TGifHandle = std::unique_ptr<GifFileType, TGifCloser>;

TGifHandle Open(TMemoryInput& input)
{
    int error = D_GIF_SUCCEEDED;
    GifFileType* gif = DGifOpen(&input, ReadFromMemory, &error);
    if (!gif)
        Fail(error);
    return TGifHandle(gif);
}

void Check(GifFileType* gif, int result)
{
    if (result == GIF_ERROR)
        Fail(gif->Error);
}

// The transparent colour index from a graphic control block, if it names one.
std::optional<int> TransparentIndex(const GifByteType* block)
{
    if (block && block[0] >= 4 && (block[1] & 0x01))
        return block[4];
    return std::nullopt;
}

// Reads records up to the first image descriptor; the transparent colour of the graphic control
// block before it is kept. A file that ends without a picture fails.
std::optional<int> SkipToFirstFrame(GifFileType* gif)
{
    std::optional<int> transparent;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        Check(gif, DGifGetRecordType(gif, &type));
        if (type == IMAGE_DESC_RECORD_TYPE) {
            Check(gif, DGifGetImageDesc(gif));
            return transparent;
        }
        if (type == TERMINATE_RECORD_TYPE)
            throw EGraphicError("GIF file holds no picture");
        if (type != EXTENSION_RECORD_TYPE)
            continue;
        int code = 0;
        GifByteType* block = nullptr;
        Check(gif, DGifGetExtension(gif, &code, &block));
        if (code == GRAPHICS_EXT_FUNC_CODE)
            transparent = TransparentIndex(block);
        while (block)
            Check(gif, DGifGetExtensionNext(gif, &block));
    }
}

TPictureSize FrameSize(const GifFileType* gif)
{
    if (gif->Image.Width < 1 || gif->Image.Height < 1)
        throw EGraphicError("GIF picture has no pixels");
    return {gif->Image.Width, gif->Image.Height};
}

// The order in which an interlaced frame stores its rows.
std::vector<int> RowOrder(int height, bool interlaced)
{
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            rows.push_back(y);
        return rows;
    }
    constexpr int start[] = {0, 4, 2, 1};
    constexpr int step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < height; y += step[pass])
            rows.push_back(y);
    return rows;
}

QRgb ColourOf(const ColorMapObject* map, int index, std::optional<int> transparent)
{
    if (transparent == index)
        return qRgba(0, 0, 0, 0);
    if (!map)
        return qRgb(index, index, index);
    if (index >= map->ColorCount)
        return qRgb(0, 0, 0);
    const GifColorType& colour = map->Colors[index];
    return qRgb(colour.Red, colour.Green, colour.Blue);
}

} // namespace

QImage DecodeGif(const std::string& data)
{
    TMemoryInput input{&data};
    TGifHandle gif = Open(input);
    const std::optional<int> transparent = SkipToFirstFrame(gif.get());
    const TPictureSize size = FrameSize(gif.get());
    QImage image = NewPicture(size.Width, size.Height, QImage::Format_ARGB32);
    const ColorMapObject* map = gif->Image.ColorMap ? gif->Image.ColorMap : gif->SColorMap;
    std::vector<GifPixelType> line(static_cast<std::size_t>(size.Width));
    for (int y : RowOrder(size.Height, gif->Image.Interlace)) {
        Check(gif.get(), DGifGetLine(gif.get(), line.data(), size.Width));
        auto* pixel = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.Width; ++x)
            pixel[x] = ColourOf(map, line[static_cast<std::size_t>(x)], transparent);
    }
    return image;
}

TPictureSize ScanGif(const std::string& data)
{
    TMemoryInput input{&data};
    TGifHandle gif = Open(input);
    SkipToFirstFrame(gif.get());
    const TPictureSize size = FrameSize(gif.get());
    std::vector<GifPixelType> line(static_cast<std::size_t>(size.Width));
    for (int y = 0; y < size.Height; ++y) {
        ScanTick();
        Check(gif.get(), DGifGetLine(gif.get(), line.data(), size.Width));
    }
    return size;
}

} // namespace gfs
