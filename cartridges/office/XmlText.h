#pragma once
#include "cartridges/common/TextSink.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
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
// of their own. Fed in pieces of any size; what it holds between pieces is at most one unfinished
// tag or reference, so a part of any length costs no more memory than its longest tag. A part in
// Latin-1 (as its declaration says) gives UTF-8 text. Markup that is not well-formed ends the
// part, keeping the text read before the fault.
class XmlTextExtractor {
public:
    // A tag longer than this ends the part: no honest document has one.
    static constexpr std::size_t kMaxTagBytes = std::size_t{16} << 20;

    XmlTextExtractor(const XmlTextRules& rules, TextSink& sink);

    void Feed(const char* data, std::size_t size);
    // True once the part is malformed or the sink is full: further data is not wanted.
    bool Done() const { return done_ || sink_.Full(); }

private:
    // Each answers how many bytes of the view it took; 0 when the construct is not complete yet.
    std::size_t TakeText(std::string_view data);
    std::size_t TakeMarkup(std::string_view data);
    std::size_t TakeTag(std::string_view data);
    std::size_t TakeUntil(std::string_view data, std::string_view start, std::string_view end, bool asText);
    std::size_t TakeDeclaration(std::string_view data);
    void Reference(std::string_view name);
    void StartElement(std::string_view tag, std::string_view name);
    void EndElement(std::string_view name);
    void Characters(std::string_view text);
    bool Skips() const { return skipDepth_ > 0; }
    bool TakesText() const;
    unsigned RolesOf(std::string_view name) const;

    const XmlTextRules& rules_;
    std::vector<std::pair<std::string, unsigned>> roles_; // element name, what it is to the text
    TextSink& sink_;
    std::string pending_;  // the start of a construct the next piece finishes
    int skipDepth_ = 0;
    int textDepth_ = 0;
    int paragraphDepth_ = 0;
    bool latin1_ = false;
    bool started_ = false;
    bool done_ = false;
};

// Calls visit with the local name of every element of a whole small XML document, in document
// order, and a way to read the element's attributes by local name. Stops at the first fault.
using AttributeOf = std::function<std::string(const std::string& name)>;
using ElementVisitor = std::function<void(const std::string& name, const AttributeOf& attribute)>;
void ForEachElement(const std::string& xml, const ElementVisitor& visit);
