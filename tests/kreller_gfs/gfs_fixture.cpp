#include "gfs_fixture.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QWidget>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <gif_lib.h>
#include <iterator>
#include <random>
#include <stdexcept>

namespace {

using TCrtrFunc = const char* (*)(const char*);

} // namespace

TGfsLibrary::TGfsLibrary(const std::string& copyPath)
{
    std::filesystem::copy_file(FK_GFS_LIBRARY, copyPath, std::filesystem::copy_options::overwrite_existing);
    handle_ = dlopen(copyPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_)
        throw std::runtime_error(dlerror());
}

TGfsLibrary::~TGfsLibrary()
{
    dlclose(handle_);
}

namespace {

TCrtrFunc Export(void* handle, const char* name)
{
    auto function = reinterpret_cast<TCrtrFunc>(dlsym(handle, name));
    if (!function)
        throw std::runtime_error(std::string("no export ") + name);
    return function;
}

} // namespace

const char* TGfsLibrary::CallRaw(const char* name, const std::string& argument) const
{
    return Export(handle_, name)(argument.c_str());
}

const char* TGfsLibrary::CallWithNull(const char* name) const
{
    return Export(handle_, name)(nullptr);
}

std::string TGfsLibrary::Call(const char* name, const std::string& argument) const
{
    const char* answer = CallRaw(name, argument);
    return answer ? answer : "(null)";
}

int TGfsLibrary::ShutDown() const
{
    int calls = 1;
    while (Call("SHUT_DOWN") == "WAIT" && calls < 100) {
        QApplication::processEvents();
        ++calls;
    }
    return calls;
}

void WriteJpeg(const std::string& path, int width, int height, bool noisy)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(40, 120, 200));
    if (noisy) {
        std::mt19937 random(7);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image.setPixel(x, y, random());
    }
    if (!image.save(QString::fromStdString(path), "JPG", 90))
        throw std::runtime_error("cannot write " + path);
}

void WriteImage(const std::string& path, int width, int height, const char* format)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(200, 20, 20));
    if (!image.save(QString::fromStdString(path), format))
        throw std::runtime_error("cannot write " + path);
}

void WriteGif(const std::string& path, int screenWidth, int screenHeight, int frameWidth, int frameHeight)
{
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (!gif)
        throw std::runtime_error("cannot write " + path);
    GifColorType colours[2] = {{0, 0, 0}, {255, 255, 255}};
    ColorMapObject* map = GifMakeMapObject(2, colours);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, screenWidth, screenHeight, 1, 0, map);
    std::vector<GifPixelType> line(static_cast<std::size_t>(frameWidth));
    // Two frames; the second one covers the whole screen and must not count.
    for (auto [w, h] : {std::pair{frameWidth, frameHeight}, std::pair{screenWidth, screenHeight}}) {
        line.assign(static_cast<std::size_t>(w), 1);
        EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr);
        for (int y = 0; y < h; ++y)
            EGifPutLine(gif, line.data(), w);
    }
    GifFreeMapObject(map);
    EGifCloseFile(gif, &error);
}

std::string ReadAll(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void Truncate(const std::string& path, std::size_t keep)
{
    const std::string data = ReadAll(path).substr(0, keep);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << data;
}

QWidget* PluginDialog()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == "TD_settings_user")
            return widget;
    return nullptr;
}

QStringList ErrorLog()
{
    QWidget* dialog = PluginDialog();
    auto* memo = dialog ? dialog->findChild<QPlainTextEdit*>("Memo_log") : nullptr;
    return memo ? memo->toPlainText().split('\n', Qt::SkipEmptyParts) : QStringList{};
}

void GfsTest::SetUp()
{
    lib = std::make_unique<TGfsLibrary>(tree.Path("kreller_gfs_copy.so"));
    ASSERT_EQ(lib->Call("INIT"), "DONE");
}

void GfsTest::TearDown()
{
    lib->ShutDown();
    lib.reset();
}
