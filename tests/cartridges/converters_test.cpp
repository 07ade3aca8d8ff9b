// The converters in-process: what text each kind of document gives, and what damaged or hostile
// documents give.
#include "cartridges/common/TextSink.h"
#include "cartridges/office/OfficeText.h"
#include "cartridges/office/XmlText.h"
#include "cartridges/pdf/PdfText.h"
#include "cartridges/sample_docs/SampleDocs.h"

#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using sample_docs::Lines;
using Builder = std::function<std::string(const Lines&)>;
using Converter = std::string (*)(const char*, std::size_t);

struct Kind {
    const char* name;
    Builder build;
    Converter convert;
};

std::string PdfOfLines(const Lines& lines)
{
    return sample_docs::Pdf({lines});
}

const Kind kKinds[] = {
    {"pdf", PdfOfLines, PdfTextOfData},
    {"docx", sample_docs::Docx, OfficeTextOfData},
    {"xlsx", sample_docs::Xlsx, OfficeTextOfData},
    {"pptx", sample_docs::Pptx, OfficeTextOfData},
    {"odt", sample_docs::Odt, OfficeTextOfData},
    {"ods", sample_docs::Ods, OfficeTextOfData},
    {"odp", sample_docs::Odp, OfficeTextOfData},
    {"epub", sample_docs::Epub, OfficeTextOfData},
};

std::string Convert(const Kind& kind, const std::string& document)
{
    return kind.convert(document.data(), document.size());
}

TEST(Converters, EveryKindGivesEachParagraphOnALineOfItsOwn)
{
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        const std::string text = Convert(kind, kind.build({"First paragraph here", "Second one", "Third"}));
        EXPECT_NE(text.find("First paragraph here\nSecond one\nThird"), std::string::npos) << text;
    }
}

TEST(Converters, MarkupIsDroppedAndEntitiesDecoded)
{
    for (const Kind& kind : kKinds) {
        if (kind.convert == PdfTextOfData)
            continue;
        SCOPED_TRACE(kind.name);
        const std::string text = Convert(kind, kind.build({"Tom & Jerry <3 \"quoted\""}));
        EXPECT_NE(text.find("Tom & Jerry <3 \"quoted\""), std::string::npos) << text;
        EXPECT_EQ(text.find("&amp;"), std::string::npos);
        EXPECT_EQ(text.find('<', text.find("<3") + 1), std::string::npos) << text;
    }
}

TEST(Converters, TruncatedDocumentsAreRefused)
{
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.name);
        const std::string whole = kind.build({"Some text that will be cut off"});
        for (std::size_t length : {std::size_t{0}, std::size_t{4}, whole.size() / 2, whole.size() - 30})
            EXPECT_THROW(kind.convert(whole.data(), length), EConversion) << length;
    }
}

TEST(Converters, PdfPagesComeInOrderWithLatinLetters)
{
    const std::string pdf = sample_docs::Pdf({{"page one (first)", "Gr\xC3\xB6\xC3\x9F" "e"}, {"page two"}});
    const std::string text = PdfTextOfData(pdf.data(), pdf.size());
    EXPECT_NE(text.find("page one (first)\nGr\xC3\xB6\xC3\x9F" "e"), std::string::npos) << text;
    EXPECT_LT(text.find("page one"), text.find("page two"));
    EXPECT_EQ(text.find('\f'), std::string::npos);
}

TEST(Converters, PdfPageTreeLoopEnds)
{
    const std::string pdf = sample_docs::PdfWithPageTreeLoop({"looped page"});
    std::string text;
    try {
        text = PdfTextOfData(pdf.data(), pdf.size());
    } catch (const EConversion&) {
    }
    EXPECT_LT(text.size(), 1000u);
}

TEST(Converters, SpreadsheetCellsThatPointIntoTheStringTableAreNotNumbers)
{
    const std::string xlsx = sample_docs::Xlsx({"alpha", "beta"});
    const std::string text = OfficeTextOfData(xlsx.data(), xlsx.size());
    EXPECT_EQ(text, "alpha\nbeta\n1000\n1001\n");
}

TEST(Converters, OpenDocumentSpacesTabsAndBreaks)
{
    const std::string odt = sample_docs::Zip(
        {{"mimetype", "application/vnd.oasis.opendocument.text"},
         {"content.xml", "<office:document-content xmlns:office=\"o\" xmlns:text=\"t\"><office:automatic-styles>"
                         "<style>not text</style></office:automatic-styles><office:body><office:text>"
                         "<text:p>a<text:s text:c=\"3\"/>b<text:tab/>c<text:line-break/>d <text:span>e</text:span></text:p>"
                         "<text:tracked-changes><text:p>deleted</text:p></text:tracked-changes>"
                         "</office:text></office:body></office:document-content>"}});
    EXPECT_EQ(OfficeTextOfData(odt.data(), odt.size()), "a   b\tc\nd e\n");
}

TEST(Converters, EbookReadsTheSpineAndNotTheHead)
{
    const std::string epub = sample_docs::Epub({"chapter text", "more"});
    const std::string text = OfficeTextOfData(epub.data(), epub.size());
    EXPECT_EQ(text, "chapter text\nmore\n");
}

TEST(Converters, UndeclaredHtmlEntitiesOfEbooks)
{
    const std::string chapter = "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.1//EN\" \"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd\">"
                                "<html xmlns=\"http://www.w3.org/1999/xhtml\"><body><p>a&nbsp;b&mdash;c&#x41;</p></body></html>";
    const auto parts = std::vector<std::pair<std::string, std::string>>{
        {"mimetype", "application/epub+zip"},
        {"META-INF/container.xml", "<container><rootfiles><rootfile full-path=\"book.opf\"/></rootfiles></container>"},
        {"book.opf", "<package><manifest><item id=\"a\" href=\"./x/../c.xhtml#top\"/></manifest><spine><itemref idref=\"a\"/></spine></package>"},
        {"c.xhtml", chapter}};
    const std::string epub = sample_docs::Zip(parts);
    EXPECT_EQ(OfficeTextOfData(epub.data(), epub.size()), "a b\xE2\x80\x94" "cA\n");
}

TEST(Converters, ZipOfNoKnownKindIsRefused)
{
    const std::string zip = sample_docs::Zip({{"readme.txt", "plain"}});
    EXPECT_THROW(OfficeTextOfData(zip.data(), zip.size()), EConversion);
}

TEST(TextSink, StopsAtItsLimitAndBlanksNulBytes)
{
    TextSink sink(8);
    sink.Append(std::string("ab\0cd", 5));
    sink.EnsureLineBreak();
    sink.Append("efghij");
    EXPECT_TRUE(sink.Full());
    EXPECT_EQ(sink.Take(), "ab cd\nef");
}

TEST(TextSink, WritesToItsDescriptorAPieceAtATime)
{
    std::FILE* file = std::tmpfile();
    const std::string piece(TextSink::kPieceBytes / 2 + 1, 'x');
    {
        TextSink sink(::fileno(file), 3 * piece.size());
        for (int i = 0; i < 4; ++i)
            sink.Append(piece);
        EXPECT_TRUE(sink.Full());
        EXPECT_EQ(::lseek(::fileno(file), 0, SEEK_END), static_cast<off_t>(2 * piece.size())) << "a whole piece is written at once";
        EXPECT_TRUE(sink.Flush());
        EXPECT_EQ(sink.Take(), "") << "nothing is held once written";
    }
    EXPECT_EQ(::lseek(::fileno(file), 0, SEEK_END), static_cast<off_t>(3 * piece.size()));
    std::fclose(file);
}

TEST(GrowthLimit, AFloorForEveryDocumentThenARatioToItsSize)
{
    EXPECT_EQ(GrowthLimit(0), kGrowthFloorBytes);
    EXPECT_EQ(GrowthLimit(1000), kGrowthFloorBytes);
    EXPECT_EQ(GrowthLimit(std::uint64_t{10} << 20), kGrowthRatio * (std::uint64_t{10} << 20));
    EXPECT_EQ(GrowthLimit(UINT64_MAX / 2), UINT64_MAX);
}

// The text of xml read by the extractor fed in pieces of the given size.
std::string XmlTextInPieces(const std::string& xml, std::size_t piece, const XmlTextRules& rules)
{
    TextSink sink;
    XmlTextExtractor extractor(rules, sink);
    for (std::size_t at = 0; at < xml.size() && !extractor.Done(); at += piece)
        extractor.Feed(xml.data() + at, std::min(piece, xml.size() - at));
    return sink.Take();
}

TEST(XmlText, TheSameTextWhereverThePiecesEnd)
{
    const XmlTextRules paragraphs{.paragraphs = {"p"}, .lineBreaks = {"br"}, .skipped = {"head"}};
    struct Case {
        const char* what;
        std::string xml;
        std::string text;
    };
    const Case cases[] = {
        {"references", "<r><p>a&amp;b &#x41;&#66; &lt;&gt;&quot;&apos; &mdash;&unknown;</p></r>", "a&b AB <>\"' \xE2\x80\x94\n"},
        {"a '>' inside an attribute value", "<r><p title='x>y' q=\"a>b\">text</p></r>", "text\n"},
        {"comments, CDATA and instructions", "<?xml version=\"1.0\"?><!-- <p>no</p> --><r><p><![CDATA[<kept> & raw]]></p><?pi <p>?></r>",
         "<kept> & raw\n"},
        {"a declaration with an internal subset", "<!DOCTYPE r [ <!ENTITY e \"x\"> ]><r><p>after</p></r>", "after\n"},
        {"prefixes, empty elements, skipped subtrees", "<x:r><x:head><x:p>no</x:p></x:head><x:p>a<x:br/>b</x:p></x:r>", "a\nb\n"},
        {"a byte-order mark", "\xEF\xBB\xBF<r><p>marked</p></r>", "marked\n"},
        {"Latin-1 by declaration", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r><p>Gr\xF6\xDF" "e</p></r>", "Gr\xC3\xB6\xC3\x9F" "e\n"},
        {"a fault keeps the text before it", "<r><p>before</p><p>& after</p></r>", "before\n"},
        {"a stray '<' is a fault", "<r><p>kept</p>< p>lost</p></r>", "kept\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{7}, c.xml.size()})
            EXPECT_EQ(XmlTextInPieces(c.xml, piece, paragraphs), c.text) << "pieces of " << piece;
    }
}

TEST(XmlText, ATagWithoutEndIsGivenUpAtItsLimit)
{
    TextSink sink;
    const XmlTextRules everywhere;
    XmlTextExtractor extractor(everywhere, sink);
    extractor.Feed("<r>text<p a=\"", 13);
    const std::string filler(1 << 20, 'v');
    for (std::size_t fed = 0; fed <= XmlTextExtractor::kMaxTagBytes && !extractor.Done(); fed += filler.size())
        extractor.Feed(filler.data(), filler.size());
    EXPECT_TRUE(extractor.Done());
    EXPECT_EQ(sink.Take(), "text");
}

} // namespace
