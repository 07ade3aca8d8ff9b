#include "XmlText.h"

#include <algorithm>
#include <cstdlib>
#include <map>

namespace {

constexpr int kMaxSpaceRun = 1000;

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

// Named entities of HTML that e-books use without declaring them.
const std::map<std::string, std::string>& HtmlEntities()
{
    static const std::map<std::string, std::string> entities{
        {"nbsp", " "},         {"ensp", " "},         {"emsp", " "},         {"thinsp", " "},
        {"shy", ""},           {"ndash", "\u2013"},   {"mdash", "\u2014"},   {"lsquo", "\u2018"},
        {"rsquo", "\u2019"},   {"sbquo", "\u201A"},   {"ldquo", "\u201C"},   {"rdquo", "\u201D"},
        {"bdquo", "\u201E"},   {"hellip", "\u2026"},  {"laquo", "\u00AB"},   {"raquo", "\u00BB"},
        {"copy", "\u00A9"},    {"reg", "\u00AE"},     {"trade", "\u2122"},   {"bull", "\u2022"},
        {"middot", "\u00B7"},  {"euro", "\u20AC"},    {"deg", "\u00B0"},     {"times", "\u00D7"},
        {"auml", "\u00E4"},    {"ouml", "\u00F6"},    {"uuml", "\u00FC"},    {"Auml", "\u00C4"},
        {"Ouml", "\u00D6"},    {"Uuml", "\u00DC"},    {"szlig", "\u00DF"},   {"eacute", "\u00E9"},
        {"egrave", "\u00E8"},  {"agrave", "\u00E0"},  {"ccedil", "\u00E7"},  {"ntilde", "\u00F1"},
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
std::vector<std::pair<QString, unsigned>> RolesOf(const XmlTextRules& rules)
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
    std::vector<std::pair<QString, unsigned>> list;
    for (const auto& [name, role] : roles)
        list.emplace_back(QString::fromStdString(name), role);
    return list;
}

} // namespace

XmlTextExtractor::XmlTextExtractor(const XmlTextRules& rules, TextSink& sink)
    : rules_(rules), roles_(::RolesOf(rules)), sink_(sink)
{
    reader_.setNamespaceProcessing(true);
}

unsigned XmlTextExtractor::RolesOf(QStringView name) const
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
    reader_.addData(QByteArray(data, static_cast<qsizetype>(size)));
    Drain();
}

void XmlTextExtractor::Drain()
{
    while (!Done()) {
        switch (reader_.readNext()) {
        case QXmlStreamReader::StartElement:
            StartElement();
            break;
        case QXmlStreamReader::EndElement:
            EndElement();
            break;
        case QXmlStreamReader::Characters:
            Characters(reader_.text());
            break;
        case QXmlStreamReader::EntityReference:
            EntityReference();
            break;
        case QXmlStreamReader::EndDocument:
            done_ = true;
            break;
        case QXmlStreamReader::Invalid:
            // Out of data is the normal pause of a stream; anything else ends the part.
            done_ = reader_.error() != QXmlStreamReader::PrematureEndOfDocumentError;
            return;
        default:
            break;
        }
    }
}

bool XmlTextExtractor::Skips() const
{
    return skipDepth_ > 0;
}

bool XmlTextExtractor::TakesText() const
{
    return !Skips() && (rules_.textElements.empty() || textDepth_ > 0);
}

void XmlTextExtractor::StartElement()
{
    if (Skips()) {
        ++skipDepth_;
        return;
    }
    const unsigned roles = RolesOf(reader_.name());
    if ((roles & kSkipped) ||
        ((roles & kSkippedByValue) && Attribute(reader_, rules_.skippedAttribute) == rules_.skippedValue)) {
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
        const int count = std::atoi(Attribute(reader_, "c").c_str());
        sink_.Append(std::string(static_cast<std::size_t>(std::clamp(count, 1, kMaxSpaceRun)), ' '));
    }
}

void XmlTextExtractor::EndElement()
{
    if (Skips()) {
        --skipDepth_;
        return;
    }
    const unsigned roles = RolesOf(reader_.name());
    if ((roles & kText) && textDepth_ > 0)
        --textDepth_;
    if ((roles & kParagraph) && paragraphDepth_ > 0) {
        --paragraphDepth_;
        sink_.EnsureLineBreak();
    }
}

void XmlTextExtractor::Characters(QStringView text)
{
    // Blanks between elements are layout of the XML, except inside a paragraph.
    if (!TakesText() || (reader_.isWhitespace() && paragraphDepth_ == 0 && textDepth_ == 0))
        return;
    const QByteArray utf8 = text.toUtf8();
    sink_.Append(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

void XmlTextExtractor::EntityReference()
{
    if (!TakesText())
        return;
    const auto& entities = HtmlEntities();
    if (auto found = entities.find(Local(reader_.name())); found != entities.end())
        sink_.Append(found->second);
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
