#include "XmlText.h"

#include <QXmlStreamReader>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>

namespace {

constexpr int kMaxSpaceRun = 1000;
constexpr std::size_t kMaxReferenceBytes = 64;  // "&...;" longer than this is no reference

std::string Local(QStringView name)
{
    return name.toString().toStdString();
}

// Attributes by local name, whatever prefix the document gave them.
std::string Attribute(const QXmlStreamReader& reader, const std::string& name)
{
    for (const QXmlStreamAttribute& attribute : reader.attributes()) {
        if (Local(attribute.name()) == name)
            return Local(attribute.value());
    }
    return {};
}

std::string_view LocalName(std::string_view name)
{
    const std::size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool AllBlank(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), IsBlank);
}

std::size_t SkipBlanks(std::string_view text, std::size_t at)
{
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    return at;
}

// The value of the attribute with that local name in a tag's text (its element name first).
std::string_view AttributeValue(std::string_view tag, std::string_view local)
{
    std::size_t at = 0;
    while (at < tag.size() && !IsBlank(tag[at]))
        ++at;
    for (;;) {
        at = SkipBlanks(tag, at);
        const std::size_t nameStart = at;
        while (at < tag.size() && tag[at] != '=' && !IsBlank(tag[at]))
            ++at;
        const std::string_view name = tag.substr(nameStart, at - nameStart);
        at = SkipBlanks(tag, at);
        if (name.empty() || at >= tag.size() || tag[at] != '=')
            return {};
        at = SkipBlanks(tag, at + 1);
        if (at >= tag.size() || (tag[at] != '"' && tag[at] != '\''))
            return {};
        const std::size_t close = tag.find(tag[at], at + 1);
        if (close == std::string_view::npos)
            return {};
        if (LocalName(name) == local)
            return tag.substr(at + 1, close - at - 1);
        at = close + 1;
    }
}

// 1 when data starts with prefix, 0 when it does not, -1 when data is too short to tell.
int Starts(std::string_view data, std::string_view prefix)
{
    const std::size_t common = std::min(data.size(), prefix.size());
    if (data.compare(0, common, prefix.substr(0, common)) != 0)
        return 0;
    return common == prefix.size() ? 1 : -1;
}

bool IsLatin1Name(std::string_view encoding)
{
    std::string lower(encoding);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return lower == "iso-8859-1" || lower == "iso-8859-15" || lower == "latin1" || lower == "windows-1252" ||
           lower == "cp1252";
}

void AppendUtf8(std::string& out, std::uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// "#65" or "#x41": the character as UTF-8; empty for no character.
std::string NumericReference(std::string_view digits)
{
    const bool hex = digits.size() > 1 && (digits[1] == 'x' || digits[1] == 'X');
    const std::string number(digits.substr(hex ? 2 : 1));
    if (number.empty() || number.size() > 8)
        return {};
    char* end = nullptr;
    const unsigned long code = std::strtoul(number.c_str(), &end, hex ? 16 : 10);
    if (*end != '\0' || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return {};
    std::string utf8;
    AppendUtf8(utf8, static_cast<std::uint32_t>(code));
    return utf8;
}

// The entities of XML, and the named entities of HTML that e-books use without declaring them.
const std::map<std::string, std::string, std::less<>>& NamedEntities()
{
    static const std::map<std::string, std::string, std::less<>> entities{
        {"amp", "&"},          {"lt", "<"},           {"gt", ">"},           {"quot", "\""},
        {"apos", "'"},         {"nbsp", " "},         {"ensp", " "},         {"emsp", " "},
        {"thinsp", " "},       {"shy", ""},           {"ndash", "\u2013"},   {"mdash", "\u2014"},
        {"lsquo", "\u2018"},   {"rsquo", "\u2019"},   {"sbquo", "\u201A"},   {"ldquo", "\u201C"},
        {"rdquo", "\u201D"},   {"bdquo", "\u201E"},   {"hellip", "\u2026"},  {"laquo", "\u00AB"},
        {"raquo", "\u00BB"},   {"copy", "\u00A9"},    {"reg", "\u00AE"},     {"trade", "\u2122"},
        {"bull", "\u2022"},    {"middot", "\u00B7"},  {"euro", "\u20AC"},    {"deg", "\u00B0"},
        {"times", "\u00D7"},   {"auml", "\u00E4"},    {"ouml", "\u00F6"},    {"uuml", "\u00FC"},
        {"Auml", "\u00C4"},    {"Ouml", "\u00D6"},    {"Uuml", "\u00DC"},    {"szlig", "\u00DF"},
        {"eacute", "\u00E9"},  {"egrave", "\u00E8"},  {"agrave", "\u00E0"},  {"ccedil", "\u00E7"},
        {"ntilde", "\u00F1"},
    };
    return entities;
}

enum Role : unsigned {
    kText = 1,
    kParagraph = 2,
    kLineBreak = 4,
    kTab = 8,
    kSkipped = 16,
    kSpaces = 32,
    kSkippedByValue = 64,
};

// Every element name the rules mention, with its roles: one look-up per element of the part.
std::vector<std::pair<std::string, unsigned>> RolesOf(const XmlTextRules& rules)
{
    std::map<std::string, unsigned> roles;
    const std::pair<const std::set<std::string>*, Role> sets[] = {{&rules.textElements, kText},
                                                                  {&rules.paragraphs, kParagraph},
                                                                  {&rules.lineBreaks, kLineBreak},
                                                                  {&rules.tabs, kTab},
                                                                  {&rules.skipped, kSkipped}};
    for (const auto& [names, role] : sets) {
        for (const auto& name : *names)
            roles[name] |= role;
    }
    if (!rules.spaces.empty())
        roles[rules.spaces] |= kSpaces;
    if (!rules.skippedElement.empty())
        roles[rules.skippedElement] |= kSkippedByValue;
    return {roles.begin(), roles.end()};
}

} // namespace

XmlTextExtractor::XmlTextExtractor(const XmlTextRules& rules, TextSink& sink)
    : rules_(rules), roles_(::RolesOf(rules)), sink_(sink)
{
}

unsigned XmlTextExtractor::RolesOf(std::string_view name) const
{
    for (const auto& [known, roles] : roles_) {
        if (name == known)
            return roles;
    }
    return 0;
}

void XmlTextExtractor::Feed(const char* data, std::size_t size)
{
    if (Done())
        return;
    const bool joined = !pending_.empty();
    if (joined)
        pending_.append(data, size);
    std::string_view view = joined ? std::string_view(pending_) : std::string_view(data, size);
    if (!started_ && view.size() < 3) {
        pending_ = std::string(view);  // too little to tell a byte-order mark yet
        return;
    }
    if (!started_) {
        started_ = true;
        if (Starts(view, "\xEF\xBB\xBF") == 1)
            view.remove_prefix(3);
        else if (Starts(view, "\xFF\xFE") == 1 || Starts(view, "\xFE\xFF") == 1)
            done_ = true;  // UTF-16, which office documents never use
    }
    std::size_t at = 0;
    while (at < view.size() && !Done()) {
        const std::string_view rest = view.substr(at);
        const std::size_t taken = rest.front() == '<' ? TakeMarkup(rest) : TakeText(rest);
        if (taken == 0)
            break;
        at += taken;
    }
    const std::string_view unfinished = view.substr(at);
    if (Done() || unfinished.size() > kMaxTagBytes) {
        done_ = true;
        pending_.clear();
        return;
    }
    pending_ = std::string(unfinished);
}

std::size_t XmlTextExtractor::TakeText(std::string_view data)
{
    const std::size_t tag = data.find('<');
    const std::string_view run = data.substr(0, tag);
    std::size_t at = 0;
    while (at < run.size()) {
        const std::size_t amp = run.find('&', at);
        Characters(run.substr(at, amp == std::string_view::npos ? run.size() - at : amp - at));
        if (amp == std::string_view::npos)
            return run.size();
        const std::size_t semicolon = run.find(';', amp);
        if (semicolon == std::string_view::npos || semicolon - amp > kMaxReferenceBytes) {
            // Unfinished at the end of the piece, or a bare '&', which is no XML.
            if (tag == std::string_view::npos && run.size() - amp <= kMaxReferenceBytes)
                return amp;
            done_ = true;
            return run.size();
        }
        Reference(run.substr(amp + 1, semicolon - amp - 1));
        at = semicolon + 1;
    }
    return run.size();
}

std::size_t XmlTextExtractor::TakeMarkup(std::string_view data)
{
    if (data.size() < 2)
        return 0;
    if (data[1] == '!') {
        const int comment = Starts(data, "<!--");
        const int cdata = Starts(data, "<![CDATA[");
        if (comment < 0 || cdata < 0)
            return 0;
        if (comment > 0)
            return TakeUntil(data, "<!--", "-->", false);
        if (cdata > 0)
            return TakeUntil(data, "<![CDATA[", "]]>", true);
        return TakeDeclaration(data);
    }
    if (data[1] == '?') {
        const std::size_t end = TakeUntil(data, "<?", "?>", false);
        if (end > 0 && Starts(data, "<?xml ") == 1)
            latin1_ = IsLatin1Name(AttributeValue(data.substr(2, end - 4), "encoding"));
        return end;
    }
    if (data[1] == '/') {
        const std::size_t close = data.find('>');
        if (close == std::string_view::npos)
            return 0;
        std::string_view name = data.substr(2, close - 2);
        while (!name.empty() && IsBlank(name.back()))
            name.remove_suffix(1);
        EndElement(LocalName(name));
        return close + 1;
    }
    return TakeTag(data);
}

// A start tag or an empty-element tag; a '>' inside a quoted attribute value does not end it.
std::size_t XmlTextExtractor::TakeTag(std::string_view data)
{
    std::size_t from = 1;
    std::size_t close = 0;
    for (;;) {
        close = data.find('>', from);
        if (close == std::string_view::npos)
            return 0;
        const std::string_view inside = data.substr(from, close - from);
        const std::size_t quote = std::min(inside.find('"'), inside.find('\''));
        if (quote == std::string_view::npos)
            break;
        const std::size_t end = data.find(inside[quote], from + quote + 1);
        if (end == std::string_view::npos)
            return 0;
        from = end + 1;
    }
    std::string_view tag = data.substr(1, close - 1);
    const bool empty = !tag.empty() && tag.back() == '/';
    if (empty)
        tag.remove_suffix(1);
    const std::string_view name = tag.substr(0, std::min(tag.size(), static_cast<std::size_t>(std::find_if(
                                                                          tag.begin(), tag.end(), IsBlank) - tag.begin())));
    const auto first = name.empty() ? '\0' : name.front();
    if (!(std::isalpha(static_cast<unsigned char>(first)) || first == '_' || first == ':' ||
          static_cast<unsigned char>(first) >= 0x80)) {
        done_ = true;
        return close + 1;
    }
    const std::string_view local = LocalName(name);
    StartElement(tag, local);
    if (empty)
        EndElement(local);
    return close + 1;
}

std::size_t XmlTextExtractor::TakeUntil(std::string_view data, std::string_view start, std::string_view end, bool asText)
{
    const std::size_t found = data.find(end, start.size());
    if (found == std::string_view::npos)
        return 0;
    if (asText)
        Characters(data.substr(start.size(), found - start.size()));
    return found + end.size();
}

// <!DOCTYPE ...>, with an internal subset in brackets if it has one.
std::size_t XmlTextExtractor::TakeDeclaration(std::string_view data)
{
    const std::size_t close = data.find('>');
    const std::size_t bracket = data.find('[');
    if (close == std::string_view::npos || bracket > close)
        return close == std::string_view::npos ? 0 : close + 1;
    const std::size_t subsetEnd = data.find("]", bracket);
    const std::size_t end = subsetEnd == std::string_view::npos ? subsetEnd : data.find('>', subsetEnd);
    return end == std::string_view::npos ? 0 : end + 1;
}

void XmlTextExtractor::Reference(std::string_view name)
{
    if (!TakesText())
        return;
    if (!name.empty() && name.front() == '#') {
        sink_.Append(NumericReference(name));
        return;
    }
    const auto& entities = NamedEntities();
    if (auto found = entities.find(name); found != entities.end())
        sink_.Append(found->second);
}

bool XmlTextExtractor::TakesText() const
{
    return !Skips() && (rules_.textElements.empty() || textDepth_ > 0);
}

void XmlTextExtractor::StartElement(std::string_view tag, std::string_view name)
{
    if (Skips()) {
        ++skipDepth_;
        return;
    }
    const unsigned roles = RolesOf(name);
    if ((roles & kSkipped) ||
        ((roles & kSkippedByValue) && AttributeValue(tag, rules_.skippedAttribute) == rules_.skippedValue)) {
        skipDepth_ = 1;
        return;
    }
    if (roles & kParagraph) {
        sink_.EnsureLineBreak();
        ++paragraphDepth_;
    }
    if (roles & kText)
        ++textDepth_;
    if (!TakesText())
        return;
    if (roles & kLineBreak)
        sink_.Append("\n");
    else if (roles & kTab)
        sink_.Append("\t");
    else if (roles & kSpaces) {
        const int count = std::atoi(std::string(AttributeValue(tag, "c")).c_str());
        sink_.Append(std::string(static_cast<std::size_t>(std::clamp(count, 1, kMaxSpaceRun)), ' '));
    }
}

void XmlTextExtractor::EndElement(std::string_view name)
{
    if (Skips()) {
        --skipDepth_;
        return;
    }
    const unsigned roles = RolesOf(name);
    if ((roles & kText) && textDepth_ > 0)
        --textDepth_;
    if ((roles & kParagraph) && paragraphDepth_ > 0) {
        --paragraphDepth_;
        sink_.EnsureLineBreak();
    }
}

void XmlTextExtractor::Characters(std::string_view text)
{
    // Blanks between elements are layout of the XML, except inside a paragraph.
    if (text.empty() || !TakesText() || (paragraphDepth_ == 0 && textDepth_ == 0 && AllBlank(text)))
        return;
    if (!latin1_) {
        sink_.Append(text.data(), text.size());
        return;
    }
    std::string utf8;
    utf8.reserve(text.size() * 2);
    for (const char c : text)
        AppendUtf8(utf8, static_cast<unsigned char>(c));
    sink_.Append(utf8);
}

void ForEachElement(const std::string& xml, const ElementVisitor& visit)
{
    QXmlStreamReader reader(QByteArray(xml.data(), static_cast<qsizetype>(xml.size())));
    const auto attribute = [&reader](const std::string& name) { return Attribute(reader, name); };
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement)
            visit(Local(reader.name()), attribute);
    }
}
