#include "OfficeText.h"

#include "XmlText.h"
#include "ZipParts.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr std::size_t kMaxPackageFileBytes = 4 << 20; // container.xml, the e-book's package file
constexpr std::size_t kMaxParts = 10000;

// Parts named prefix + a number (or nothing) + suffix, read in the order of that number.
struct PartPattern {
    std::string prefix;
    std::string suffix;
    const XmlTextRules* rules;
};

struct DocumentKind {
    std::string marker; // the part every document of the kind has
    std::vector<PartPattern> parts;
};

const XmlTextRules kWordRules{.textElements = {"t"}, .paragraphs = {"p"}, .lineBreaks = {"br", "cr"}, .tabs = {"tab"}};
const XmlTextRules kDrawingRules{.textElements = {"t"}, .paragraphs = {"p"}, .lineBreaks = {"br"}};
const XmlTextRules kSharedStringRules{.textElements = {"t"}, .paragraphs = {"si"}, .skipped = {"rPh"}};
// A cell of type "s" only holds an index into the shared strings, which are read on their own.
const XmlTextRules kSheetRules{.textElements = {"v", "t"},
                               .paragraphs = {"c"},
                               .skippedElement = "c",
                               .skippedAttribute = "t",
                               .skippedValue = "s"};
const XmlTextRules kOpenDocumentRules{
    .paragraphs = {"p", "h", "table-cell"},
    .lineBreaks = {"line-break"},
    .tabs = {"tab"},
    .skipped = {"tracked-changes", "automatic-styles", "font-face-decls", "scripts"},
    .spaces = "s"};
const XmlTextRules kXhtmlRules{.paragraphs = {"p", "div", "h1", "h2", "h3", "h4", "h5", "h6", "li", "dt", "dd", "tr",
                                              "td", "th", "blockquote", "pre", "section", "article", "figcaption",
                                              "caption"},
                               .lineBreaks = {"br"},
                               .skipped = {"head", "script", "style"}};

const std::vector<DocumentKind>& Kinds()
{
    static const std::vector<DocumentKind> kinds{
        {"word/document.xml",
         {{"word/document", ".xml", &kWordRules},
          {"word/footnotes", ".xml", &kWordRules},
          {"word/endnotes", ".xml", &kWordRules},
          {"word/comments", ".xml", &kWordRules},
          {"word/header", ".xml", &kWordRules},
          {"word/footer", ".xml", &kWordRules}}},
        {"xl/workbook.xml",
         {{"xl/sharedStrings", ".xml", &kSharedStringRules}, {"xl/worksheets/sheet", ".xml", &kSheetRules}}},
        {"ppt/presentation.xml",
         {{"ppt/slides/slide", ".xml", &kDrawingRules}, {"ppt/notesSlides/notesSlide", ".xml", &kDrawingRules}}},
        {"content.xml", {{"content", ".xml", &kOpenDocumentRules}}},
    };
    return kinds;
}

// The number between prefix and suffix; nothing when name does not match (an empty middle is 0).
std::optional<unsigned long> PartNumber(const std::string& name, const PartPattern& pattern)
{
    if (name.size() < pattern.prefix.size() + pattern.suffix.size() || name.compare(0, pattern.prefix.size(), pattern.prefix) != 0 ||
        name.compare(name.size() - pattern.suffix.size(), pattern.suffix.size(), pattern.suffix) != 0)
        return std::nullopt;
    const std::string middle = name.substr(pattern.prefix.size(), name.size() - pattern.prefix.size() - pattern.suffix.size());
    if (middle.size() > 9 || !std::all_of(middle.begin(), middle.end(), [](unsigned char c) { return std::isdigit(c); }))
        return std::nullopt;
    return middle.empty() ? 0UL : std::stoul(middle);
}

std::vector<std::string> PartsMatching(const std::vector<std::string>& names, const PartPattern& pattern)
{
    std::vector<std::pair<unsigned long, std::string>> numbered;
    for (const auto& name : names) {
        if (auto number = PartNumber(name, pattern))
            numbered.emplace_back(*number, name);
    }
    std::sort(numbered.begin(), numbered.end());
    std::vector<std::string> parts;
    for (auto& [number, name] : numbered)
        parts.push_back(std::move(name));
    return parts;
}

void ReadPart(ZipParts& zip, const std::string& name, const XmlTextRules& rules, TextSink& sink)
{
    XmlTextExtractor extractor(rules, sink);
    sink.EnsureLineBreak();
    zip.Stream(name, [&extractor](const char* data, std::size_t size) {
        extractor.Feed(data, size);
        return !extractor.Done();
    });
}

// The named parts in order, as far as the sink, the inflated budget and the part count allow.
void ReadParts(ZipParts& zip, const std::vector<std::pair<std::string, const XmlTextRules*>>& parts, TextSink& sink)
{
    for (std::size_t index = 0; index < parts.size() && index < kMaxParts && !sink.Full() && !zip.Exhausted(); ++index)
        ReadPart(zip, parts[index].first, *parts[index].second, sink);
}

std::vector<std::pair<std::string, const XmlTextRules*>> OfficeParts(const ZipParts& zip, const DocumentKind& kind)
{
    const std::vector<std::string> names = zip.Names();
    std::vector<std::pair<std::string, const XmlTextRules*>> parts;
    for (const auto& pattern : kind.parts) {
        for (auto& name : PartsMatching(names, pattern))
            parts.emplace_back(std::move(name), pattern.rules);
    }
    return parts;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string PercentDecoded(const std::string& text)
{
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            decoded.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
            i += 2;
        } else {
            decoded.push_back(text[i]);
        }
    }
    return decoded;
}

// The part that href (relative to the folder of the part base) names inside the container.
std::string ResolvedPart(const std::string& base, const std::string& href)
{
    const std::string path = PercentDecoded(href.substr(0, href.find('#')));
    std::vector<std::string> segments;
    const std::size_t slash = base.rfind('/');
    const std::string joined = (slash == std::string::npos ? std::string() : base.substr(0, slash + 1)) + path;
    std::size_t start = 0;
    while (start <= joined.size()) {
        const std::size_t end = std::min(joined.find('/', start), joined.size());
        const std::string segment = joined.substr(start, end - start);
        if (segment == "..") {
            if (!segments.empty())
                segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::string resolved;
    for (const auto& segment : segments)
        resolved += (resolved.empty() ? "" : "/") + segment;
    return resolved;
}

// The e-book's content documents in reading order: the spine of the package file that
// META-INF/container.xml names.
std::vector<std::pair<std::string, const XmlTextRules*>> EbookParts(ZipParts& zip)
{
    std::string package;
    ForEachElement(zip.Read("META-INF/container.xml", kMaxPackageFileBytes),
                   [&package](const std::string& name, const AttributeOf& attribute) {
                       if (name == "rootfile" && package.empty())
                           package = attribute("full-path");
                   });
    if (package.empty())
        throw EConversion("The e-book names no package file.");
    std::map<std::string, std::string> hrefs;
    std::vector<std::string> spine;
    ForEachElement(zip.Read(package, kMaxPackageFileBytes), [&](const std::string& name, const AttributeOf& attribute) {
        if (name == "item")
            hrefs.emplace(attribute("id"), attribute("href"));
        else if (name == "itemref" && spine.size() < kMaxParts)
            spine.push_back(attribute("idref"));
    });
    std::vector<std::pair<std::string, const XmlTextRules*>> parts;
    for (const auto& id : spine) {
        if (auto href = hrefs.find(id); href != hrefs.end())
            parts.emplace_back(ResolvedPart(package, href->second), &kXhtmlRules);
    }
    return parts;
}

std::vector<std::pair<std::string, const XmlTextRules*>> DocumentParts(ZipParts& zip)
{
    for (const auto& kind : Kinds()) {
        if (zip.Has(kind.marker))
            return OfficeParts(zip, kind);
    }
    if (!zip.Has("META-INF/container.xml"))
        throw EConversion("The zip container holds no document of a known kind.");
    return EbookParts(zip);
}

bool TextOf(ZipParts zip, TextSink& sink)
{
    ReadParts(zip, DocumentParts(zip), sink);
    return !zip.Exhausted() && !sink.Full();
}

} // namespace

bool OfficeTextOfFile(const std::string& path, TextSink& sink)
{
    struct stat st {};
    const std::uint64_t bytes = ::stat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    return TextOf(ZipParts::OfFile(path, GrowthLimit(bytes)), sink);
}

std::string OfficeTextOfData(const char* data, std::size_t size)
{
    TextSink sink;
    TextOf(ZipParts::OfData(data, size), sink);
    return sink.Take();
}
