#pragma once
#include "cartridges/common/TextSink.h"

#include <QXmlStreamReader>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

// How the text of one kind of XML part is found. Element names are local names (no prefix).
struct XmlTextRules {
    std::set<std::string> textElements{}; // character data counts only inside these; empty: everywhere
    std::set<std::string> paragraphs{};   // each stands on lines of its own
    std::set<std::string> lineBreaks{};
    std::set<std::string> tabs{};
    std::set<std::string> skipped{};      // whole subtrees left out
    std::string spaces{};                 // a run of blanks whose length is the attribute "c"
    // A subtree left out when its element has this attribute value (a cell that only points
    // into a string table, say).
    std::string skippedElement{};
    std::string skippedAttribute{};
    std::string skippedValue{};
};

// Streams one XML part into a text sink: markup dropped, entities decoded, paragraphs on lines
// of their own. Fed in pieces; a part that is not well-formed keeps the text read before the fault.
class XmlTextExtractor {
public:
    XmlTextExtractor(const XmlTextRules& rules, TextSink& sink);

    void Feed(const char* data, std::size_t size);
    // True once the part is malformed or the sink is full: further data is not wanted.
    bool Done() const { return done_ || sink_.Full(); }

private:
    void Drain();
    void StartElement();
    void EndElement();
    void Characters(QStringView text);
    void EntityReference();
    bool Skips() const;
    bool TakesText() const;
    unsigned RolesOf(QStringView name) const;

    const XmlTextRules& rules_;
    std::vector<std::pair<QString, unsigned>> roles_; // element name, what it is to the text
    TextSink& sink_;
    QXmlStreamReader reader_;
    int skipDepth_ = 0;
    int textDepth_ = 0;
    int paragraphDepth_ = 0;
    bool done_ = false;
};

// Calls visit with the local name of every element of a whole small XML document, in document
// order, and a way to read the element's attributes by local name. Stops at the first fault.
using AttributeOf = std::function<std::string(const std::string& name)>;
using ElementVisitor = std::function<void(const std::string& name, const AttributeOf& attribute)>;
void ForEachElement(const std::string& xml, const ElementVisitor& visit);
