#include "kreller_gfs/decoders.h"
#include "kreller_gfs/graph_convertor.h"

#include <csetjmp>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace gfs {
namespace {

// libjpeg reports failures by calling error_exit, which must not return: it jumps back to the
// decode with the message. No C++ object lives in the frames it jumps over.
struct TJpegErrors {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

[[noreturn]] void FailDecode(j_common_ptr cinfo)
{
    auto* errors = reinterpret_cast<TJpegErrors*>(cinfo->err);
    errors->Manager.format_message(cinfo, errors->Message);
    std::longjmp(errors->Jump, 1);
}

// Warnings are dropped, except the end of the file before the end of the picture: such a file
// would otherwise pass with made-up data.
void OnMessage(j_common_ptr cinfo, int level)
{
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF)
        FailDecode(cinfo);
}

// Where the decoded lines go: the caller prepares its storage once the output size is known.
class TJpegSink {
public:
    virtual ~TJpegSink() = default;
    virtual void Configure(jpeg_decompress_struct& cinfo) = 0;
    // Makes the storage for the output; the reason when none could be had, else the empty text.
    virtual std::string Begin(const jpeg_decompress_struct& cinfo) = 0;
    virtual JSAMPROW Line(JDIMENSION y) = 0;
};

// Runs one decode; false with the decoder's message in errors.Message when it failed.
bool RunDecode(const std::string& data, TJpegSink& sink, TJpegErrors& errors)
{
    jpeg_decompress_struct cinfo;
    cinfo.err = jpeg_std_error(&errors.Manager);
    errors.Manager.error_exit = FailDecode;
    errors.Manager.emit_message = OnMessage;
    errors.Message[0] = '\0';
    if (setjmp(errors.Jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.data()), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);
    sink.Configure(cinfo);
    jpeg_start_decompress(&cinfo);
    if (const std::string failure = sink.Begin(cinfo); !failure.empty()) {
        jpeg_destroy_decompress(&cinfo);
        std::snprintf(errors.Message, sizeof errors.Message, "%s", failure.c_str());
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW line = sink.Line(cinfo.output_scanline);
        jpeg_read_scanlines(&cinfo, &line, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

void Decode(const std::string& data, TJpegSink& sink)
{
    TJpegErrors errors;
    if (!RunDecode(data, sink, errors))
        throw EGraphicError(errors.Message);
}

bool IsInk(J_COLOR_SPACE space)
{
    return space == JCS_CMYK || space == JCS_YCCK;
}

// The size test: the smallest scale, and grey where the colour model allows, so only the DC
// coefficients go through the inverse transform; the entropy decoder still reads every one.
class TScanSink : public TJpegSink {
public:
    void Configure(jpeg_decompress_struct& cinfo) override
    {
        cinfo.scale_num = 1;
        cinfo.scale_denom = 8;
        cinfo.dct_method = JDCT_IFAST;
        cinfo.do_fancy_upsampling = FALSE;
        cinfo.do_block_smoothing = FALSE;
        if (cinfo.jpeg_color_space == JCS_YCbCr || cinfo.jpeg_color_space == JCS_GRAYSCALE)
            cinfo.out_color_space = JCS_GRAYSCALE;
        Size = {static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height)};
    }
    std::string Begin(const jpeg_decompress_struct& cinfo) override
    {
        line_.resize(static_cast<std::size_t>(cinfo.output_width) * cinfo.output_components);
        return {};
    }
    JSAMPROW Line(JDIMENSION) override
    {
        ScanTick();
        return line_.data();
    }

    TPictureSize Size;

private:
    std::vector<JSAMPLE> line_;
};

// The viewer's picture: RGB, or ink values turned into RGB once decoded.
class TImageSink : public TJpegSink {
public:
    void Configure(jpeg_decompress_struct& cinfo) override
    {
        cinfo.out_color_space = IsInk(cinfo.jpeg_color_space) ? JCS_CMYK : JCS_RGB;
    }
    std::string Begin(const jpeg_decompress_struct& cinfo) override
    {
        const bool ink = cinfo.out_color_space == JCS_CMYK;
        Inverted = ink && cinfo.saw_Adobe_marker;
        try {
            Image = NewPicture(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                               ink ? QImage::Format_RGB32 : QImage::Format_RGB888);
        } catch (const EGraphicError& error) {
            return error.what();  // nothing may be thrown across the decoder's frames
        }
        return {};
    }
    JSAMPROW Line(JDIMENSION y) override { return Image.scanLine(static_cast<int>(y)); }

    QImage Image;
    bool Inverted = false;
};

// Ink values were written four bytes a pixel into an RGB32 picture; Adobe's files store them inverted.
void InkToRgb(QImage& image, bool inverted)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* pixel = reinterpret_cast<QRgb*>(image.scanLine(y));
        const auto* ink = reinterpret_cast<const unsigned char*>(pixel);
        for (int x = 0; x < image.width(); ++x, ink += 4) {
            auto part = [&](int i) { return inverted ? ink[i] : 255 - ink[i]; };
            const int k = part(3);
            pixel[x] = qRgb(part(0) * k / 255, part(1) * k / 255, part(2) * k / 255);
        }
    }
}

} // namespace

QImage DecodeJpeg(const std::string& data)
{
    TImageSink sink;
    Decode(data, sink);
    if (sink.Image.format() == QImage::Format_RGB32)
        InkToRgb(sink.Image, sink.Inverted);
    return std::move(sink.Image);
}

TPictureSize ScanJpeg(const std::string& data)
{
    TScanSink sink;
    Decode(data, sink);
    return sink.Size;
}

} // namespace gfs
