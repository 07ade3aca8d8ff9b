#include "kreller_gfs/decoders.h"
#include "kreller_gfs/graph_convertor.h"

#include <QByteArray>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdlib>
#include <memory>

extern "C" {
#include <libwmf/api.h>
#include <libwmf/svg.h>
}
#include <emf2svg.h>

namespace gfs {
namespace {

// Device units of the metafile player: points for a placeable metafile, logical units otherwise.
constexpr double kPointsPerPixel = 72.0 / 96.0;

struct TWmfApiRelease {
    void operator()(wmfAPI* api) const { wmf_api_destroy(api); }
};
using TWmfApi = std::unique_ptr<wmfAPI, TWmfApiRelease>;

TWmfApi CreateWmfSvgPlayer()
{
    wmfAPI_Options options{};
    options.function = wmf_svg_function;
    wmfAPI* api = nullptr;
    const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    const wmf_error_t error = wmf_api_create(&api, flags, &options);
    TWmfApi player(api);
    if (error != wmf_E_None || !api)
        throw EGraphicError("Metafile player cannot start");
    return player;
}

void CheckWmf(wmf_error_t error)
{
    if (error != wmf_E_None)
        throw EGraphicError("Metafile is damaged");
}

// The picture's rectangle in the player's device units, whose origin is the window origin. When the
// drawing lies wholly outside it (a mirrored window extent), the drawing's own bounds serve.
wmfD_Rect PictureRect(TPictureSize size, bool placeable, const wmfD_Rect& drawn)
{
    const double scale = placeable ? kPointsPerPixel : 1.0;
    wmfD_Rect picture{};
    picture.BR.x = static_cast<float>(size.Width * scale);
    picture.BR.y = static_cast<float>(size.Height * scale);
    const bool overlaps = drawn.BR.x > picture.TL.x && drawn.TL.x < picture.BR.x && drawn.BR.y > picture.TL.y &&
                          drawn.TL.y < picture.BR.y;
    return overlaps ? picture : drawn;
}

// The metafile played by libwmf's SVG device, the window mapped onto size.
std::string WmfToSvg(const std::string& data, TPictureSize size)
{
    TWmfApi player = CreateWmfSvgPlayer();
    std::string bytes = data;  // the player reads from a buffer it may not own
    CheckWmf(wmf_mem_open(player.get(), reinterpret_cast<unsigned char*>(bytes.data()), static_cast<long>(bytes.size())));
    wmfD_Rect drawn{};
    CheckWmf(wmf_scan(player.get(), 0, &drawn));
    wmf_svg_t* device = WMF_SVG_GetData(player.get());
    device->out = wmf_stream_create(player.get(), nullptr);
    if (!device->out)
        throw EGraphicError("Insufficient memory");
    static char noDescription[] = "";
    device->Description = noDescription;
    device->bbox = PictureRect(size, IsPlaceableMetafile(data), drawn);
    device->width = static_cast<unsigned int>(size.Width);
    device->height = static_cast<unsigned int>(size.Height);
    device->flags |= WMF_SVG_INLINE_IMAGES;  // raster records become data, never files
    const wmf_error_t played = wmf_play(player.get(), 0, &drawn);
    char* svg = nullptr;
    unsigned long length = 0;
    wmf_stream_destroy(player.get(), device->out, &svg, &length);
    CheckWmf(played);
    // The player owns the buffer and frees it with itself.
    return svg ? std::string(svg, length) : std::string();
}

// The enhanced metafile converted by libemf2svg at the given size.
std::string EmfToSvg(const std::string& data, TPictureSize size)
{
    static char svgNamespace[] = "svg";
    generatorOptions options{};
    options.nameSpace = svgNamespace;
    options.verbose = false;
    options.emfplus = true;
    options.svgDelimiter = true;
    options.imgWidth = size.Width;
    options.imgHeight = size.Height;
    std::string bytes = data;
    char* svg = nullptr;
    std::size_t length = 0;
    const int converted = emf2svg(bytes.data(), bytes.size(), &svg, &length, &options);
    const std::unique_ptr<char, decltype(&std::free)> release(svg, &std::free);
    if (!converted || !svg)
        throw EGraphicError("Enhanced metafile is damaged");
    return std::string(svg, length);
}

QImage BlankSheet(TPictureSize size)
{
    QImage sheet = NewPicture(size.Width, size.Height, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    return sheet;
}

} // namespace

QImage DrawMetafile(const std::string& data, bool enhanced)
{
    const TPictureSize size = MetafileSize(data, enhanced);
    const std::string svg = enhanced ? EmfToSvg(data, size) : WmfToSvg(data, size);
    QSvgRenderer renderer(QByteArray::fromStdString(svg));
    if (!renderer.isValid())
        throw EGraphicError(enhanced ? "Enhanced metafile is damaged" : "Metafile is damaged");
    QImage sheet = BlankSheet(size);
    QPainter painter(&sheet);
    renderer.render(&painter, QRectF(0, 0, size.Width, size.Height));
    return sheet;
}

} // namespace gfs
