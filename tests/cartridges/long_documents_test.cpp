// Long documents taken as a search takes them: the cartridge's converter writes the text into the
// cache a piece at a time, and the Context kreller's engine searches it from there a piece at a
// time. A keyword at the very end of a long spreadsheet, text, e-book or PDF is found; a limit that stops
// a conversion leaves the text made before it and says which limit it was.
#include "TempTree.h"
#include "cartridges/common/Cartridge.h"
#include "cartridges/common/TextSink.h"
#include "cartridges/sample_docs/SampleDocs.h"
#include "krellers/context_engine.h"

#include <chrono>
#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using sample_docs::LongKind;

constexpr const char* kKeyword = "zebrafinch";

struct Kind {
    const char* extension;
    LongKind kind;
    const char* helper;
};

const Kind kKinds[] = {
    {"ods", LongKind::Ods, "office_text_convert"},
    {"docx", LongKind::Docx, "office_text_convert"},
    {"epub", LongKind::Epub, "office_text_convert"},
    {"pdf", LongKind::Pdf, "pdf_text_convert"},
};

// A cartridge of the kind with a cache of its own. The time limit is the machine's business, not
// what these tests look at, unless a test sets one.
Cartridge CartridgeFor(const Kind& kind, const TempTree& cache, std::chrono::milliseconds time = 300s)
{
    ChildLimits limits;
    limits.time = time;
    return Cartridge({kind.extension, kind.extension, kind.helper, {kind.extension}, "", ""},
                     std::string(FK_CONTEXT_CRTRS_DIR) + "/libexec/" + kind.helper,
                     TextCache(cache.Path("cache"), Cartridge::kCacheLimitBytes), limits);
}

TTextLimit LimitOf(TextCut cut)
{
    return cut == TextCut::TimeLimit ? TTextLimit::Time : cut == TextCut::SizeLimit ? TTextLimit::Size : TTextLimit::None;
}

// The cartridge's text as the Context kreller gets it from the plug-in: the file it lies in.
TCartridgeText TextFileOf(Cartridge& cartridge)
{
    return [&cartridge](const std::string& path) -> std::optional<TCartridgeContext> {
        const std::optional<StoredText> stored = cartridge.GetContextFile(path);
        TCartridgeContext context;
        if (stored) {
            context.File = stored->path;
            context.Offset = stored->offset;
            context.Limit = LimitOf(stored->cut);
        }
        return context;
    };
}

class LongDocuments : public ::testing::Test {
protected:
    // Whether the engine finds the keyword in the document's text.
    bool Found(const std::string& path, const TCartridgeText& text)
    {
        return engine_.TestFile(path, "EXISTS('ZEBRAFINCH')", text);
    }

    TempTree docs_;
    TempTree cache_;
    TContextEngine engine_{{[] {}, [] { return false; }}};
};

TEST_F(LongDocuments, TheKeywordAtTheVeryEndIsFound)
{
    for (const Kind& kind : kKinds) {
        for (const std::uint32_t megabytes : {100u, 300u}) {
            SCOPED_TRACE(std::string(kind.extension) + " of " + std::to_string(megabytes) + " MB");
            const std::string path = docs_.Path(std::string("long.") + kind.extension);
            sample_docs::WriteLongDocument(path, kind.kind, megabytes, std::string("the last line names the ") + kKeyword);
            Cartridge cartridge = CartridgeFor(kind, cache_);
            EXPECT_TRUE(Found(path, TextFileOf(cartridge)));
            EXPECT_EQ(engine_.LastTextLimit(), TTextLimit::None);
        }
    }
}

TEST_F(LongDocuments, AZipBombIsStoppedByItsSizeAndSaysSo)
{
    const Kind& docx = kKinds[1];
    const std::string path = docs_.Path("bomb.docx");
    sample_docs::WriteFile(path, sample_docs::DocxBomb(300));
    Cartridge cartridge = CartridgeFor(docx, cache_, 60s);
    const auto start = std::chrono::steady_clock::now();
    const std::optional<StoredText> text = cartridge.GetContextFile(path);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->cut, TextCut::SizeLimit);
    EXPECT_LE(text->length, GrowthLimit(docs_.Read("bomb.docx").size()));
    EXPECT_GT(text->length, 0u) << "the text before the limit is kept";
    EXPECT_LT(std::chrono::steady_clock::now() - start, 60s);
    // A second search takes the cut text from the cache, and still knows it was cut.
    EXPECT_FALSE(Found(path, TextFileOf(cartridge)));
    EXPECT_EQ(engine_.LastTextLimit(), TTextLimit::Size);
}

TEST_F(LongDocuments, TheTimeLimitKeepsTheTextMadeBeforeIt)
{
    const Kind& ods = kKinds[0];
    const std::string path = docs_.Path("long.ods");
    sample_docs::WriteLongDocument(path, ods.kind, 300, kKeyword);
    Cartridge cartridge = CartridgeFor(ods, cache_, 1s);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Found(path, TextFileOf(cartridge)));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
    EXPECT_EQ(engine_.LastTextLimit(), TTextLimit::Time);
    const std::optional<StoredText> text = cartridge.GetContextFile(path);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->cut, TextCut::TimeLimit);
}

} // namespace
