// How soon the preview pane shows the first screen of a selected file: a 10 MB text with keywords
// and a 20-megapixel JPEG scaled to the pane, from the request until the pane has painted it.
// Beside them, in the same run, `head -c 1M` of the text and `djpeg -scale 1/4` of the picture.
// Run by hand: see README.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>
#include <chrono>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

#include "bench_timing.h"
#include "core/preview_pane.h"

namespace {

constexpr int kRounds = 9;

std::string WriteText(const std::string& path)
{
    static const char* const words[] = {"search", "found", "kreller", "file", "text", "cloud", "pin", "window",
                                        "größe", "über", "list", "path", "value", "alpha", "beta", "gamma"};
    std::ofstream out(path, std::ios::binary);
    QRandomGenerator random(7);
    std::size_t written = 0;
    std::string line;
    while (written < std::size_t{10} << 20) {
        line.clear();
        for (int w = 0; w < 12; ++w) {
            line += words[random.bounded(16)];
            line += ' ';
        }
        if (random.bounded(20) == 0)
            line += "COPYRIGHT notice ";
        line += '\n';
        out << line;
        written += line.size();
    }
    return path;
}

// A photo-like picture: smooth light with grain, so it compresses as a camera's JPEG does.
std::string WritePhoto(const std::string& path)
{
    QImage image(5472, 3648, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient light(0, 0, image.width(), image.height());
    light.setColorAt(0, QColor(40, 90, 160));
    light.setColorAt(1, QColor(230, 190, 120));
    painter.fillRect(image.rect(), light);
    painter.end();
    QRandomGenerator random(11);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grain = static_cast<int>(random.bounded(24)) - 12;
            const QRgb p = row[x];
            row[x] = qRgb(std::clamp(qRed(p) + grain, 0, 255), std::clamp(qGreen(p) + grain, 0, 255),
                          std::clamp(qBlue(p) + grain, 0, 255));
        }
    }
    image.save(QString::fromStdString(path), "JPG", 90);
    return path;
}

struct TTimes {
    double FirstScreen = 0;  // from the request until the pane has painted the file
    double Whole = 0;        // until the last delivery is in
    double LongestStall = 0; // the longest the window's thread spent on one round of events
};

// Median times of the rounds; another file is shown between rounds, so each one is a new selection.
TTimes Preview(TO_preview& pane, const std::string& path, const std::string& other,
               const std::vector<std::string>& keywords)
{
    std::vector<double> first, whole, stalls;
    for (int round = 0; round < kRounds; ++round) {
        pane.ShowFile(other, {});
        pane.WaitShown();
        const auto start = std::chrono::steady_clock::now();
        const auto since = [&start] {
            return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        };
        pane.ShowFile(path, keywords);
        double firstScreen = -1, stall = 0;
        while (pane.Loading() || firstScreen < 0) {
            const double took = 1000 * bench::Seconds([] { QCoreApplication::processEvents(); });
            stall = std::max(stall, took);
            if (firstScreen < 0 && pane.ShownPath() == path) {
                pane.repaint();
                firstScreen = since();
            }
            // A window waits for its events; spinning here would take a core from the worker.
            if (pane.Loading())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        first.push_back(firstScreen);
        whole.push_back(since());
        stalls.push_back(stall);
    }
    return {bench::Median(first), bench::Median(whole), bench::Median(stalls)};
}

double CommandMilliseconds(const std::string& command)
{
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round)
        times.push_back(1000 * bench::Seconds([&] {
            if (std::system(command.c_str()) != 0)
                std::fprintf(stderr, "failed: %s\n", command.c_str());
        }));
    return bench::Median(times);
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("bench_preview." + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string text = WriteText((dir / "long.txt").string());
    const std::string photo = WritePhoto((dir / "photo.jpg").string());
    const std::string small = (dir / "small.txt").string();
    std::ofstream(small) << "small\n";

    TO_preview pane;
    pane.resize(800, 900);
    pane.show();
    const TTimes textTimes = Preview(pane, text, small, {"COPYRIGHT", "ALPHA"});
    std::printf("text of %.1f MB: first screen in %.1f ms, its first MB whole in %.1f ms (%zu hits), "
                "longest stall of the window %.1f ms\n",
                static_cast<double>(std::filesystem::file_size(text)) / 1e6, textTimes.FirstScreen, textTimes.Whole,
                pane.HitCount(), textTimes.LongestStall);
    const TTimes photoTimes = Preview(pane, photo, small, {});
    std::printf("JPEG of 5472 x 3648 (%.1f MB): shown at %d x %d in %.1f ms, longest stall %.1f ms\n",
                static_cast<double>(std::filesystem::file_size(photo)) / 1e6, pane.Picture().width(),
                pane.Picture().height(), photoTimes.FirstScreen, photoTimes.LongestStall);
    const double textMs = textTimes.FirstScreen;
    const double photoMs = photoTimes.FirstScreen;

    const double headMs = CommandMilliseconds("head -c 1048576 '" + text + "' > /dev/null");
    std::printf("head -c 1M: %.1f ms; preview/head %.2f\n", headMs, textMs / headMs);
    if (std::system("command -v djpeg > /dev/null") == 0) {
        const double djpegMs = CommandMilliseconds("djpeg -scale 1/4 -outfile /dev/null '" + photo + "'");
        std::printf("djpeg -scale 1/4: %.1f ms; preview/djpeg %.2f\n", djpegMs, photoMs / djpegMs);
    }
    std::filesystem::remove_all(dir);
    return 0;
}
