// The two cartridge libraries loaded and called exactly as the plug-in host does: loaded by a path
// relative to their folder while it is the current directory, INIT, then the exports by name.
#include "ModalDriver.h"
#include "TempTree.h"
#include "cartridges/common/TextCache.h"
#include "cartridges/sample_docs/SampleDocs.h"
#include "platform/Text.h"
#include "plugins/crtr_context.h"
#include "plugins/crtr_interface.h"

#include <QLabel>
#include <QTimer>
#include <chrono>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr auto kTimeLimit = 10s;
constexpr auto kSlack = 5s; // starting a sanitized child on a busy machine

class LoadedCartridge {
public:
    explicit LoadedCartridge(const std::string& fileName)
    {
        const fs::path before = fs::current_path();
        fs::current_path(FK_CONTEXT_CRTRS_DIR);
        handle_ = ::dlopen(("../context_crtrs/" + fileName).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle_) {
            for (const char* name : {CRTR_GET_CRTR_NAME, CRTR_ACCEPT_FILE, CRTR_INIT, CRTR_SET_UP, CRTR_SHUT_DOWN,
                                     CRTR_GET_CONTEXT, CRTR_GET_CONTEXT_FILE})
                exports_[name] = reinterpret_cast<TCrtrFunc>(::dlsym(handle_, name));
            Call(CRTR_INIT);
        }
        fs::current_path(before);
    }
    ~LoadedCartridge()
    {
        if (!handle_)
            return;
        while (Call(CRTR_SHUT_DOWN) == CRTR_WAIT) {
        }
        ::dlclose(handle_);
    }
    LoadedCartridge(const LoadedCartridge&) = delete;
    LoadedCartridge& operator=(const LoadedCartridge&) = delete;

    bool Has(const std::string& name) const { return exports_.count(name) && exports_.at(name); }
    std::string Call(const std::string& name, const std::string& argument = "") const
    {
        const char* answer = exports_.at(name)(argument.c_str());
        return answer ? answer : "";
    }

private:
    void* handle_ = nullptr;
    std::map<std::string, TCrtrFunc> exports_;
};

// A fresh cache folder for each test, and both cartridges loaded after it was set.
class Cartridges : public ::testing::Test {
protected:
    Cartridges()
    {
        const char* saved = std::getenv("XDG_CACHE_HOME");
        savedCache_ = saved ? std::optional<std::string>(saved) : std::nullopt;
        setenv("XDG_CACHE_HOME", cacheHome_.Root().c_str(), 1);
        pdf_ = std::make_unique<LoadedCartridge>("pdf_text.so");
        office_ = std::make_unique<LoadedCartridge>("office_text.so");
    }
    ~Cartridges() override
    {
        pdf_.reset();
        office_.reset();
        if (savedCache_)
            setenv("XDG_CACHE_HOME", savedCache_->c_str(), 1);
        else
            unsetenv("XDG_CACHE_HOME");
    }

    std::string CacheFolder(const std::string& id) const { return cacheHome_.Root() + "FileKreller/" + id + "/"; }

    // What the Context kreller does with a file: the first accepting cartridge gives its text,
    // which is upper-cased and searched.
    bool Found(const std::string& path, const std::string& keyword) const
    {
        for (const LoadedCartridge* cartridge : {pdf_.get(), office_.get()}) {
            if (cartridge->Call(CRTR_ACCEPT_FILE, path) == CRTR_YES)
                return platform::UpperCaseLocale(cartridge->Call(CRTR_GET_CONTEXT, path)).find(platform::UpperCaseLocale(keyword)) !=
                       std::string::npos;
        }
        return false;
    }

    TempTree cacheHome_;
    TempTree docs_;
    std::optional<std::string> savedCache_;
    std::unique_ptr<LoadedCartridge> pdf_;
    std::unique_ptr<LoadedCartridge> office_;
};

std::string Written(const TempTree& tree, const std::string& name, const std::string& bytes)
{
    sample_docs::WriteFile(tree.Path(name), bytes);
    return tree.Path(name);
}

TEST_F(Cartridges, ExportEverythingAHostLooksUp)
{
    for (const auto& [cartridge, name] : {std::pair{pdf_.get(), "PDF text"}, std::pair{office_.get(), "Office documents"}}) {
        for (const char* exportName : {CRTR_GET_CRTR_NAME, CRTR_ACCEPT_FILE, CRTR_INIT, CRTR_SET_UP, CRTR_SHUT_DOWN,
                                       CRTR_GET_CONTEXT, CRTR_GET_CONTEXT_FILE})
            ASSERT_TRUE(cartridge->Has(exportName)) << name << " " << exportName;
        EXPECT_EQ(cartridge->Call(CRTR_GET_CRTR_NAME), name);
    }
}

TEST_F(Cartridges, AcceptByExtensionAndSignature)
{
    const std::string pdf = sample_docs::Pdf({{"x"}});
    const std::string docx = sample_docs::Docx({"x"});
    struct Case {
        const char* name;
        std::string content;
        const char* pdfAnswer;
        const char* officeAnswer;
    };
    const Case cases[] = {
        {"a.pdf", pdf, "Y", "N"},          {"B.PDF", pdf, "Y", "N"},         {"c.Docx", docx, "N", "Y"},
        {"d.odt", docx, "N", "Y"},         {"e.epub", docx, "N", "Y"},       {"f.XLSX", docx, "N", "Y"},
        {"text.pdf", "plain text", "N", "N"}, {"pdf.docx", pdf, "N", "N"},  {"short.pdf", "%PD", "N", "N"},
        {"noext", pdf, "N", "N"},          {"dir.pdf/", "", "N", "N"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = c.name;
        const std::string path = name.back() == '/' ? docs_.Dir(name) : Written(docs_, name, c.content);
        EXPECT_EQ(pdf_->Call(CRTR_ACCEPT_FILE, path), c.pdfAnswer);
        EXPECT_EQ(office_->Call(CRTR_ACCEPT_FILE, path), c.officeAnswer);
    }
    // A FIFO is never opened: that would block until a writer came.
    const std::string fifo = docs_.Path("pipe.pdf");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(pdf_->Call(CRTR_ACCEPT_FILE, fifo), "N");
    EXPECT_EQ(pdf_->Call(CRTR_ACCEPT_FILE, docs_.Path("missing.pdf")), "N");
    EXPECT_EQ(pdf_->Call(CRTR_GET_CONTEXT, docs_.Path("missing.pdf")), "");
}

TEST_F(Cartridges, KeywordIsFoundCaseBlindInEveryKindOfDocument)
{
    const std::vector<std::pair<std::string, std::string>> withKeyword = {
        {"report.pdf", sample_docs::Pdf({{"first page"}, {"intro", "the zebraFinch sings"}})},
        {"letter.docx", sample_docs::Docx({"Dear reader,", "one", "A ZEBRAFINCH came by."})},
        {"sheet.xlsx", sample_docs::Xlsx({"a", "Zebrafinch"})},
        {"slides.pptx", sample_docs::Pptx({"title", "zebrafinch"})},
        {"notes.odt", sample_docs::Odt({"x", "zebrafinch!"})},
        {"table.ods", sample_docs::Ods({"zebrafinch"})},
        {"talk.odp", sample_docs::Odp({"Zebrafinch"})},
        {"book.epub", sample_docs::Epub({"chapter", "zebrafinch"})},
    };
    for (const auto& [name, bytes] : withKeyword) {
        SCOPED_TRACE(name);
        const std::string path = Written(docs_, name, bytes);
        EXPECT_TRUE(Found(path, "zebrafinch"));
        EXPECT_FALSE(Found(path, "nightingale"));
    }
}

TEST_F(Cartridges, DamagedAndHostileDocumentsEndInTimeWithEmptyText)
{
    const std::string pdf = sample_docs::Pdf({{"complete text"}});
    const std::string docx = sample_docs::Docx({"complete text"});
    const std::vector<std::tuple<std::string, std::string, const LoadedCartridge*>> documents = {
        {"truncated.pdf", pdf.substr(0, pdf.size() / 2), pdf_.get()},
        {"truncated.docx", docx.substr(0, docx.size() - 25), office_.get()},
        {"loop.pdf", sample_docs::PdfWithPageTreeLoop({"looped"}), pdf_.get()},
        {"bomb.docx", sample_docs::DocxBomb(2048), office_.get()},
    };
    for (const auto& [name, bytes, cartridge] : documents) {
        SCOPED_TRACE(name);
        const std::string path = Written(docs_, name, bytes);
        ASSERT_EQ(cartridge->Call(CRTR_ACCEPT_FILE, path), "Y");
        const auto start = std::chrono::steady_clock::now();
        const std::string text = cartridge->Call(CRTR_GET_CONTEXT, path);
        EXPECT_LT(std::chrono::steady_clock::now() - start, kTimeLimit + kSlack);
        if (name.rfind("truncated", 0) == 0) {
            EXPECT_EQ(text, "");
        }
    }
}

// The host's events run while a converter works; a call they lead to must neither start a second
// conversion nor take the cartridge away under the first.
TEST_F(Cartridges, CallsMadeByTheHostsEventsDuringAConversionAreRefusedOrWait)
{
    const std::string path = Written(docs_, "a.docx", sample_docs::Docx({"words"}));
    std::string nestedText = "(not called)", nestedShutDown, nestedSetUp;
    QTimer::singleShot(0, [&] {
        nestedText = office_->Call(CRTR_GET_CONTEXT, path);
        nestedShutDown = office_->Call(CRTR_SHUT_DOWN);
        nestedSetUp = office_->Call(CRTR_SET_UP);
    });
    EXPECT_EQ(office_->Call(CRTR_GET_CONTEXT, path), "words\n");
    EXPECT_EQ(nestedText, "");
    EXPECT_EQ(nestedShutDown, CRTR_WAIT);
    EXPECT_EQ(nestedSetUp, CRTR_NO);
}

TEST_F(Cartridges, SecondSearchHitsTheCacheAndAChangedFileMisses)
{
    const std::string path = Written(docs_, "a.docx", sample_docs::Docx({"original words"}));
    EXPECT_EQ(office_->Call(CRTR_GET_CONTEXT, path), "original words\n");
    // An entry planted under the file's key shows that the next call reads the cache.
    TextCache cache(CacheFolder("office_text"), 1 << 20);
    const std::optional<FileKey> key = FileKey::Of(path);
    ASSERT_TRUE(key);
    ASSERT_TRUE(cache.Lookup(*key));
    ASSERT_TRUE(cache.Store(*key, "from the cache"));
    EXPECT_EQ(office_->Call(CRTR_GET_CONTEXT, path), "from the cache");

    Written(docs_, "a.docx", sample_docs::Docx({"changed words", "more"}));
    EXPECT_EQ(office_->Call(CRTR_GET_CONTEXT, path), "changed words\nmore\n");
}

// The host reads the text from the file the answer names, from the offset to the file's end.
TEST_F(Cartridges, TheTextFileIsACacheEntryWhoseTextStartsAtTheOffset)
{
    const std::string path = Written(docs_, "a.docx", sample_docs::Docx({"words in a file"}));
    const std::optional<TContextFile> file = ParseContextFileAnswer(office_->Call(CRTR_GET_CONTEXT_FILE, path));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->Limit, TTextLimit::None);
    EXPECT_NE(file->Path.find("/FileKreller/office_text/"), std::string::npos) << file->Path;
    std::ifstream in(file->Path, std::ios::binary);
    const std::string entry((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(entry.substr(file->Offset), "words in a file\n");
    EXPECT_EQ(ParseContextFileAnswer(office_->Call(CRTR_GET_CONTEXT_FILE, docs_.Path("missing.docx"))).value().Path, "");
}

TEST_F(Cartridges, DeletedOrDamagedCacheIsRebuilt)
{
    const std::string path = Written(docs_, "a.pdf", sample_docs::Pdf({{"alpha beta"}}));
    const std::string text = pdf_->Call(CRTR_GET_CONTEXT, path);
    ASSERT_NE(text.find("alpha beta"), std::string::npos);
    for (const auto& entry : fs::directory_iterator(CacheFolder("pdf_text")))
        fs::resize_file(entry.path(), 10);
    EXPECT_EQ(pdf_->Call(CRTR_GET_CONTEXT, path), text);
    fs::remove_all(cacheHome_.Root() + "FileKreller");
    EXPECT_EQ(pdf_->Call(CRTR_GET_CONTEXT, path), text);
    EXPECT_EQ(TextCache(CacheFolder("pdf_text"), 1 << 20).Usage().files, 1u);
}

TEST_F(Cartridges, SetUpShowsTheCacheAndEmptiesIt)
{
    pdf_->Call(CRTR_GET_CONTEXT, Written(docs_, "a.pdf", sample_docs::Pdf({{"words"}})));
    QString reads, before, after;
    ClickInNextModal("btn_ok", [&](QWidget* dialog) {
        reads = dialog->findChild<QLabel*>("Label_reads")->text();
        before = dialog->findChild<QLabel*>("Label_cache")->text();
        dialog->findChild<QAbstractButton*>("btn_empty_cache")->click();
        after = dialog->findChild<QLabel*>("Label_cache")->text();
    });
    EXPECT_EQ(pdf_->Call(CRTR_SET_UP), CRTR_DONE);
    EXPECT_TRUE(reads.contains(".pdf"));
    EXPECT_TRUE(before.startsWith("Cache: 1 document, ")) << before.toStdString();
    EXPECT_TRUE(after.startsWith("Cache: 0 documents, 0.0 KB of 250.0 MB")) << after.toStdString();
    EXPECT_EQ(TextCache(CacheFolder("pdf_text"), 1 << 20).Usage().files, 0u);
}

} // namespace
