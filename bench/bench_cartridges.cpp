// The two context cartridges over 200 generated PDFs and 200 generated .docx files, searched for one
// keyword as the Context kreller does (first accepting cartridge, its text upper-cased, searched):
// a first search with an empty text cache, a second one over the same files, and pdftotext(1) run
// over the same PDFs in the same round. Prints medians and ratios. Run by hand: see README.
#include "bench_timing.h"
#include "cartridges/common/ChildRun.h"
#include "cartridges/common/TextCache.h"
#include "cartridges/sample_docs/SampleDocs.h"
#include "platform/Text.h"
#include "plugins/crtr_interface.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using bench::Median;
using bench::Seconds;

constexpr int kDocumentsPerKind = 200;
constexpr const char* kKeyword = "quetzalcoatl";

struct Cartridge {
    TCrtrFunc accept = nullptr;
    TCrtrFunc context = nullptr;
};

Cartridge Load(const std::string& fileName)
{
    const fs::path before = fs::current_path();
    fs::current_path(FK_CONTEXT_CRTRS_DIR);
    void* handle = ::dlopen(("../context_crtrs/" + fileName).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "cannot load %s: %s\n", fileName.c_str(), ::dlerror());
        std::exit(1);
    }
    reinterpret_cast<TCrtrFunc>(::dlsym(handle, CRTR_INIT))("");
    fs::current_path(before);
    return {reinterpret_cast<TCrtrFunc>(::dlsym(handle, CRTR_ACCEPT_FILE)),
            reinterpret_cast<TCrtrFunc>(::dlsym(handle, CRTR_GET_CONTEXT))};
}

// Words of a plain report, the keyword in every tenth document.
sample_docs::Lines Paragraphs(int document, int count, bool withKeyword)
{
    static const char* words[] = {"annual", "report", "of", "the", "northern", "district", "budget", "meeting",
                                  "minutes", "agreed", "proposal", "figures", "quarter", "review", "council"};
    sample_docs::Lines lines;
    for (int line = 0; line < count; ++line) {
        std::string text;
        for (int word = 0; word < 10; ++word)
            text += std::string(words[(document * 7 + line * 3 + word) % 15]) + " ";
        if (withKeyword && line == count / 2)
            text += kKeyword;
        lines.push_back(text);
    }
    return lines;
}

std::vector<std::string> MakeDocuments(const fs::path& root)
{
    fs::remove_all(root);
    fs::create_directories(root);
    std::vector<std::string> paths;
    for (int d = 0; d < kDocumentsPerKind; ++d) {
        const std::string stem = (root / ("doc_" + std::to_string(d))).string();
        const bool withKeyword = d % 10 == 0;
        sample_docs::WriteFile(stem + ".pdf", sample_docs::Pdf({Paragraphs(d, 40, withKeyword), Paragraphs(d + 1, 40, false),
                                                                Paragraphs(d + 2, 40, false)}));
        sample_docs::WriteFile(stem + ".docx", sample_docs::Docx(Paragraphs(d, 120, withKeyword)));
        paths.push_back(stem + ".pdf");
        paths.push_back(stem + ".docx");
    }
    return paths;
}

int Search(const std::vector<Cartridge>& cartridges, const std::vector<std::string>& paths)
{
    int found = 0;
    const std::string keyword = platform::UpperCaseLocale(kKeyword);
    for (const auto& path : paths) {
        for (const auto& cartridge : cartridges) {
            if (std::string(cartridge.accept(path.c_str())) != CRTR_YES)
                continue;
            found += platform::UpperCaseLocale(cartridge.context(path.c_str())).find(keyword) != std::string::npos;
            break;
        }
    }
    return found;
}

// pdftotext writes into a file, as the cartridge's converter does.
void RunPdftotext(const std::vector<std::string>& paths)
{
    std::FILE* output = std::tmpfile();
    for (const auto& path : paths) {
        if (path.size() > 4 && path.compare(path.size() - 4, 4, ".pdf") == 0) {
            std::rewind(output);
            RunChild("/usr/bin/pdftotext", {"-q", path, "-"}, {}, ::fileno(output));
        }
    }
    std::fclose(output);
}

std::vector<std::string> Only(const std::vector<std::string>& paths, const std::string& extension)
{
    std::vector<std::string> some;
    std::copy_if(paths.begin(), paths.end(), std::back_inserter(some), [&](const std::string& p) {
        return p.size() > extension.size() && p.compare(p.size() - extension.size(), extension.size(), extension) == 0;
    });
    return some;
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
    const fs::path root = fs::temp_directory_path() / "fk_bench_cartridges";
    const fs::path cacheHome = root / "cache";
    const std::vector<std::string> paths = MakeDocuments(root / "docs");
    const std::vector<std::string> pdfs = Only(paths, ".pdf");
    const std::vector<std::string> docxs = Only(paths, ".docx");
    setenv("XDG_CACHE_HOME", cacheHome.c_str(), 1);
    const std::vector<Cartridge> cartridges{Load("pdf_text.so"), Load("office_text.so")};
    std::printf("%zu PDFs and %zu .docx files below %s\n", pdfs.size(), docxs.size(), (root / "docs").c_str());

    std::vector<double> firstPdf, firstDocx, secondPdf, secondDocx, pdftotext;
    int found = 0;
    for (int round = 0; round < rounds; ++round) {
        fs::remove_all(cacheHome / "FileKreller");
        firstPdf.push_back(Seconds([&] { found = Search(cartridges, pdfs); }));
        firstDocx.push_back(Seconds([&] { found += Search(cartridges, docxs); }));
        secondPdf.push_back(Seconds([&] { Search(cartridges, pdfs); }));
        secondDocx.push_back(Seconds([&] { Search(cartridges, docxs); }));
        pdftotext.push_back(Seconds([&] { RunPdftotext(pdfs); }));
    }
    const double fp = Median(firstPdf), fd = Median(firstDocx), sp = Median(secondPdf), sd = Median(secondDocx),
                 pt = Median(pdftotext);
    std::printf("found %d documents with the keyword (expected %d)\n", found, 2 * kDocumentsPerKind / 10);
    std::printf("first search:  PDFs %.3f s, .docx %.3f s, both %.3f s\n", fp, fd, fp + fd);
    std::printf("second search: PDFs %.3f s, .docx %.3f s, both %.3f s\n", sp, sd, sp + sd);
    std::printf("pdftotext over the PDFs: %.3f s\n", pt);
    std::printf("first PDF search / pdftotext: %.2f (aim at most 1.5)\n", fp / pt);
    std::printf("second / first search: %.3f (aim at most 0.10); PDFs %.3f, .docx %.3f\n", (sp + sd) / (fp + fd), sp / fp,
                sd / fd);
    return 0;
}
