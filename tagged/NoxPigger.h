#pragma once
#include <cstddef>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

class TNoxBuffer;

// A malformed tagged document. Position is the 1-based index in the parsed text at which the
// fault was found.
class ENoxPiggerError : public std::runtime_error {
public:
    ENoxPiggerError(const std::string& message, std::size_t position);
    std::size_t Position() const { return position_; }

private:
    std::size_t position_;
};

// One element of a tagged document: a name, ordered attributes, content text and ordered children.
// A document is an element without parent. Each element owns its children: creating an element
// with a parent hands it to that parent, and destroying an element destroys its whole subtree.
//
// Written form, for a root ITEM with one child:
//     \r\n<ITEM KEY="v%25">text\r\n\t<CHILD/>\r\n</ITEM>
// Names are upper-cased and looked up without regard to ASCII case; values and content text use
// %XX escapes (see NoxUtils).
class TNoxPigger {
public:
    // Nesting deeper than this is refused while parsing: a damaged or hostile document must not
    // exhaust the stack.
    static constexpr std::size_t MaxNestingDepth = 4000;

    explicit TNoxPigger(TNoxPigger* parent = nullptr);
    virtual ~TNoxPigger();
    TNoxPigger(const TNoxPigger&) = delete;
    TNoxPigger& operator=(const TNoxPigger&) = delete;

    // A new, empty element of this element's own class, attached as the last child of parent.
    // Assign uses it, so that copies keep the classes of the elements they copy.
    virtual TNoxPigger* Create(TNoxPigger* parent) const;

    // Deep copy of source's name, text, attributes and subtree; this element's place in its own
    // tree stays.
    virtual void Assign(const TNoxPigger& source);
    // Destroys every child and empties name, text and attributes; the place in the tree stays.
    virtual void Clear();
    // Moves the element (with its subtree) to the end of parent's children; nullptr detaches it.
    virtual void SetParent(TNoxPigger* parent);

    // Replaces the element by the document in text; an empty text leaves it empty.
    // Throws ENoxPiggerError (or what RaiseError throws) for malformed text; the elements read up
    // to the fault stay.
    virtual void SetAsText(const std::string& text);
    // The element and its subtree in written form; empty when Name is empty.
    virtual std::string GetAsText() const;

    void SaveToStream(std::ostream& stream) const;
    // Replaces the file as a whole (see platform::WriteFileAtomically). Throws platform::EFileError.
    void SaveToFile(const std::string& fileName) const;
    // Reads the rest of the stream: CR LF, a lone CR and a lone LF all become CR LF, every line
    // (the last one too) ends in CR LF, and a NUL byte ends the text.
    void LoadFromStream(std::istream& stream);
    // LoadFromStream on the file's content. Throws platform::EFileError when it cannot be read.
    void LoadFromFile(const std::string& fileName);

    const std::string& Name() const { return name_; }
    // Stores name upper-cased (ASCII), without blanks (codes 32 and below) at its ends.
    void SetName(const std::string& name);
    const std::string& Text() const { return text_; }
    void SetText(const std::string& text) { text_ = text; }
    TNoxPigger* Parent() const { return parent_; }
    std::size_t Level() const { return level_; }
    // CR LF and one TAB per level: what precedes this element's tags in written form.
    std::string Indent() const;

    int ChildCount() const { return static_cast<int>(children_.size()); }
    // nullptr when index is out of range.
    TNoxPigger* Child(int index) const;
    // The first child of that name (upper-cased, not trimmed), or nullptr.
    TNoxPigger* FindChild(const std::string& name) const;
    // The next child after child with child's name, or nullptr; with FindChild it enumerates all
    // children of one name.
    TNoxPigger* FindNextSibling(const TNoxPigger* child) const;

    // An empty value deletes the attribute. Otherwise the first attribute of that name gets the
    // value, or a new one is appended.
    void SetAttr(const std::string& name, const std::string& value);
    // The value of the first attribute of that name; empty when there is none.
    std::string GetAttr(const std::string& name) const;
    void DeleteAttr(const std::string& name);
    const std::vector<std::string>& AttrNames() const { return attrNames_; }
    const std::vector<std::string>& AttrValues() const { return attrValues_; }

protected:
    // Parses the element whose '<' is the first one at or after position (1-based) and leaves
    // position just after it.
    virtual void ParseElement(const std::string& text, std::size_t& position);
    // The element that is to receive a child met while parsing, or nullptr to skip that child.
    // The base attaches a new TNoxPigger as last child, whatever the tag name.
    virtual TNoxPigger* CreateChild(const std::string& tagName);
    // Called after child has been parsed into the element CreateChild returned.
    virtual void ChildLoaded(TNoxPigger* child);
    // Whether a piece of content text is to be appended to Text.
    virtual bool AcceptText(const std::string& text);
    // Reports a parse fault. The base throws ENoxPiggerError; an override may throw something
    // else, and when it returns, ENoxPiggerError is thrown all the same (parsing cannot go on).
    virtual void RaiseError(const std::string& message, std::size_t position);

private:
    [[noreturn]] void Fail(const std::string& message, std::size_t position);
    [[noreturn]] void FailSyntax(std::size_t position);
    void DetachFromParent();
    void SetLevelOfSubtree(std::size_t level);
    bool IsSelfOrAncestorOf(const TNoxPigger* element) const;
    void CopyFrom(const TNoxPigger& source);
    void CopyThroughSnapshot(const TNoxPigger& source);
    void DestroyChildren();
    // The first child at or after from with that (upper-case) name; nullptr when there is none.
    TNoxPigger* FindNamedFrom(std::size_t from, const std::string& upperName) const;
    // child's position among the children; ChildCount() when it is not one of them.
    std::size_t IndexOfChild(const TNoxPigger* child) const;
    int AttrIndex(const std::string& upperName) const;
    void WriteTo(TNoxBuffer& buffer) const;
    void WriteStartTag(TNoxBuffer& buffer) const;
    void WriteEndTag(TNoxBuffer& buffer) const;

    std::size_t ParseStartTag(const std::string& text, std::size_t position);
    std::size_t ParseAttribute(const std::string& text, std::size_t position);
    std::size_t ParseBody(const std::string& text, std::size_t position);
    std::size_t ParseChild(const std::string& text, std::size_t position);
    std::string ChildTagName(const std::string& text, std::size_t tagStart);
    std::size_t ParseEndTag(const std::string& text, std::size_t position);
    void AppendContent(const std::string& text, std::size_t from, std::size_t to);
    void LoadFromBytes(std::string bytes);

    std::string name_;
    std::string text_;
    std::vector<std::string> attrNames_;
    std::vector<std::string> attrValues_;
    std::vector<TNoxPigger*> children_;
    // Where FindChild or FindNextSibling found a child last: enumerating children with the two
    // starts there instead of at the front, which makes a long enumeration linear.
    mutable std::size_t lastFound_ = 0;
    TNoxPigger* parent_ = nullptr;
    std::size_t level_ = 0;
    std::size_t nesting_ = 0;  // depth of the element being parsed below the text's root
};
