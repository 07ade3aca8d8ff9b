// The picture size test of kreller_gfs against a full decode by djpeg: 500 generated 1920 x 1080
// JPEG photos, the "Portraits only" test through the plug-in's exports as the program calls them,
// and `djpeg -outfile /dev/null` on each of the same files, in the same run with a warm cache.
#include "bench_timing.h"
#include <QApplication>
#include <QImage>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace fs = std::filesystem;
using TCrtrFunc = const char* (*)(const char*);

namespace {

using bench::Median;
using bench::ProcessorSeconds;
using bench::Seconds;

// Something like a photo: smooth light with a little grain, different in every file.
QImage Photo(int seed)
{
    QImage image(1920, 1080, QImage::Format_RGB32);
    std::mt19937 random(static_cast<unsigned>(seed));
    std::uniform_int_distribution<int> grain(-12, 12);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int base = (x * 255 / 1920 + y * 255 / 1080 + seed * 17) % 256;
            auto channel = [&](int offset) { return std::clamp(base / 2 + offset + grain(random), 0, 255); };
            line[x] = qRgb(channel(60), channel(30 + (x / 40) % 50), channel((y / 30) % 90));
        }
    }
    return image;
}

std::vector<std::string> MakePhotos(const fs::path& dir, int count)
{
    fs::create_directories(dir);
    std::vector<std::string> paths;
    const QImage first = Photo(0);
    for (int i = 0; i < count; ++i) {
        const std::string path = (dir / ("photo" + std::to_string(i) + ".jpg")).string();
        // A few distinct pictures, each saved at its own quality, keep generation short.
        static std::vector<QImage> pictures = {first, Photo(1), Photo(2), Photo(3), Photo(4)};
        pictures[static_cast<std::size_t>(i) % pictures.size()].save(QString::fromStdString(path), "JPG", 80 + i % 15);
        paths.push_back(path);
    }
    return paths;
}

template <typename F>
double CpuSecondsOf(int who, F&& run)
{
    const double start = ProcessorSeconds(who);
    run();
    return ProcessorSeconds(who) - start;
}

TCrtrFunc Export(void* library, const char* name)
{
    auto function = reinterpret_cast<TCrtrFunc>(dlsym(library, name));
    if (!function) {
        std::fprintf(stderr, "no export %s\n", name);
        std::exit(1);
    }
    return function;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
    const fs::path dir = fs::temp_directory_path() / "fk_bench_photos";
    fs::remove_all(dir);
    const std::vector<std::string> photos = MakePhotos(dir, 500);
    std::uintmax_t bytes = 0;
    for (const std::string& photo : photos)
        bytes += fs::file_size(photo);
    std::printf("photos: %zu of 1920 x 1080, %.1f MB\n", photos.size(), static_cast<double>(bytes) / 1e6);

    void* library = dlopen(FK_GFS_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    Export(library, "INIT")("");
    Export(library, "LOAD_CONDITION")("Portraits only\r\nJPG=Y\r\n");
    const TCrtrFunc fileMeets = Export(library, "FILE_MEETS");
    const std::string djpeg = "for f in '" + dir.string() + "'/*.jpg; do djpeg -outfile /dev/null \"$f\"; done";

    int passed = 0;
    auto test = [&] {
        passed = 0;
        for (const std::string& photo : photos)
            passed += std::string(fileMeets(photo.c_str())) == "Y";
    };
    auto decode = [&] { (void)std::system(djpeg.c_str()); };
    std::vector<double> ours, theirs, oursCpu, theirsCpu;
    test();  // warms the cache
    for (int i = 0; i < rounds; ++i) {
        oursCpu.push_back(CpuSecondsOf(RUSAGE_SELF, [&] { ours.push_back(Seconds(test)); }));
        theirsCpu.push_back(CpuSecondsOf(RUSAGE_CHILDREN, [&] { theirs.push_back(Seconds(decode)); }));
    }
    std::printf("portraits found: %d (expected 0)\n", passed);
    std::printf("kreller_gfs portrait test: %.3f s (median of %d)\n", Median(ours), rounds);
    std::printf("djpeg full decode:         %.3f s (median of %d)\n", Median(theirs), rounds);
    std::printf("ratio ours/djpeg: %.2f elapsed\n", Median(ours) / Median(theirs));
    std::printf("processor time: %.3f s against %.3f s (djpeg with its shell and process starts), ratio %.2f\n",
                Median(oursCpu), Median(theirsCpu), Median(oursCpu) / Median(theirsCpu));

    const TCrtrFunc shutDown = Export(library, "SHUT_DOWN");
    while (std::string(shutDown("")) == "WAIT")
        QApplication::processEvents();
    dlclose(library);
    fs::remove_all(dir);
    return 0;
}
