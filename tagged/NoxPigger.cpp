#include "tagged/NoxPigger.h"

#include "platform/Text.h"
#include "tagged/NoxUtils.h"

#include <algorithm>
#include <istream>
#include <iterator>
#include <memory>
#include <ostream>

// Positions in the parser are 1-based, as in the error positions reported to callers; 0 means
// "not found".
namespace {

constexpr const char* kTagNameEnd = " />\r\n\t";
constexpr const char* kAttrNameEnd = " =/>\r\n\t";
constexpr const char* kUnquotedValueEnd = " >/\n\r\t";

bool IsBlank(char ch)
{
    return static_cast<unsigned char>(ch) <= 32;
}

bool CharIs(const std::string& text, std::size_t position, char expected)
{
    return position >= 1 && position <= text.size() && text[position - 1] == expected;
}

// Past blanks, but never beyond the last character of the text.
std::size_t SkipBlanks(const std::string& text, std::size_t position)
{
    while (position < text.size() && IsBlank(text[position - 1]))
        ++position;
    return position;
}

// The first position at or after position whose character is one of set; 0 when there is none.
std::size_t FirstOf(const std::string& text, const char* set, std::size_t position)
{
    if (position == 0 || position > text.size())
        return 0;
    const auto found = text.find_first_of(set, position - 1);
    return found == std::string::npos ? 0 : found + 1;
}

// The characters from 'from' up to, not including, 'to'.
std::string Slice(const std::string& text, std::size_t from, std::size_t to)
{
    return text.substr(from - 1, to - from);
}

std::string WithCrLfLineEnds(std::string bytes)
{
    bytes.erase(std::find(bytes.begin(), bytes.end(), '\0'), bytes.end());  // a NUL ends the text
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 16 + 2);
    std::size_t lineStart = 0;
    while (lineStart < bytes.size()) {
        const auto lineEnd = bytes.find_first_of("\r\n", lineStart);
        text.append(bytes, lineStart, lineEnd == std::string::npos ? std::string::npos : lineEnd - lineStart);
        text += "\r\n";
        if (lineEnd == std::string::npos)
            break;
        const bool crLf = bytes[lineEnd] == '\r' && lineEnd + 1 < bytes.size() && bytes[lineEnd + 1] == '\n';
        lineStart = lineEnd + (crLf ? 2 : 1);
    }
    return text;
}

} // namespace

ENoxPiggerError::ENoxPiggerError(const std::string& message, std::size_t position)
    : std::runtime_error(message), position_(position)
{
}

// ---- tree ----

TNoxPigger::TNoxPigger(TNoxPigger* parent)
{
    if (parent)
        SetParent(parent);
}

TNoxPigger::~TNoxPigger()
{
    DetachFromParent();
    DestroyChildren();
}

TNoxPigger* TNoxPigger::Create(TNoxPigger* parent) const
{
    return new TNoxPigger(parent);
}

void TNoxPigger::Assign(const TNoxPigger& source)
{
    if (&source == this)
        return;
    if (source.IsSelfOrAncestorOf(this) || IsSelfOrAncestorOf(&source))
        CopyThroughSnapshot(source);
    else
        CopyFrom(source);
}

// Copying an ancestor into its own subtree would copy the copy as it grows; copying a descendant
// into an ancestor would destroy the source while it is being read.
void TNoxPigger::CopyThroughSnapshot(const TNoxPigger& source)
{
    TNoxPigger snapshot;
    snapshot.CopyFrom(source);
    CopyFrom(snapshot);
}

void TNoxPigger::CopyFrom(const TNoxPigger& source)
{
    Clear();
    name_ = source.name_;
    text_ = source.text_;
    attrNames_ = source.attrNames_;
    attrValues_ = source.attrValues_;
    for (const TNoxPigger* child : source.children_)
        child->Create(this)->Assign(*child);
}

void TNoxPigger::Clear()
{
    DestroyChildren();
    name_.clear();
    text_.clear();
    attrNames_.clear();
    attrValues_.clear();
}

void TNoxPigger::DestroyChildren()
{
    // Detached first, so that no child searches this list while it is being emptied.
    std::vector<TNoxPigger*> doomed;
    doomed.swap(children_);
    for (TNoxPigger* child : doomed) {
        child->parent_ = nullptr;
        delete child;
    }
}

void TNoxPigger::SetParent(TNoxPigger* parent)
{
    if (parent == parent_)
        return;
    if (parent && IsSelfOrAncestorOf(parent))
        throw std::invalid_argument("An element cannot become a child of itself or of its own descendant");
    DetachFromParent();
    if (parent) {
        parent->children_.push_back(this);
        parent_ = parent;
    }
    SetLevelOfSubtree(parent ? parent->level_ + 1 : 0);
}

void TNoxPigger::DetachFromParent()
{
    if (!parent_)
        return;
    // Searched from the end: the last child is the one most often removed (a list being rewritten).
    auto& siblings = parent_->children_;
    siblings.erase(std::prev(std::find(siblings.rbegin(), siblings.rend(), this).base()));
    parent_ = nullptr;
}

void TNoxPigger::SetLevelOfSubtree(std::size_t level)
{
    level_ = level;
    for (TNoxPigger* child : children_)
        child->SetLevelOfSubtree(level + 1);
}

bool TNoxPigger::IsSelfOrAncestorOf(const TNoxPigger* element) const
{
    for (; element; element = element->parent_)
        if (element == this)
            return true;
    return false;
}

void TNoxPigger::SetName(const std::string& name)
{
    name_ = platform::UpperCaseAscii(platform::Trimmed(name));
}

std::string TNoxPigger::Indent() const
{
    return "\r\n" + std::string(level_, '\t');
}

TNoxPigger* TNoxPigger::Child(int index) const
{
    return index >= 0 && index < ChildCount() ? children_[static_cast<std::size_t>(index)] : nullptr;
}

TNoxPigger* TNoxPigger::FindChild(const std::string& name) const
{
    const std::string wanted = platform::UpperCaseAscii(name);
    return FindNamedFrom(0, wanted);
}

TNoxPigger* TNoxPigger::FindNextSibling(const TNoxPigger* child) const
{
    if (!child)
        return nullptr;
    const std::size_t at = IndexOfChild(child);
    return at == children_.size() ? nullptr : FindNamedFrom(at + 1, child->name_);
}

TNoxPigger* TNoxPigger::FindNamedFrom(std::size_t from, const std::string& upperName) const
{
    const auto found = std::find_if(children_.begin() + static_cast<std::ptrdiff_t>(from), children_.end(),
                                    [&](const TNoxPigger* child) { return child->name_ == upperName; });
    if (found == children_.end())
        return nullptr;
    lastFound_ = static_cast<std::size_t>(found - children_.begin());
    return *found;
}

std::size_t TNoxPigger::IndexOfChild(const TNoxPigger* child) const
{
    if (lastFound_ < children_.size() && children_[lastFound_] == child)
        return lastFound_;
    return static_cast<std::size_t>(std::find(children_.begin(), children_.end(), child) - children_.begin());
}

// ---- attributes ----

int TNoxPigger::AttrIndex(const std::string& upperName) const
{
    const auto found = std::find(attrNames_.begin(), attrNames_.end(), upperName);
    return found == attrNames_.end() ? -1 : static_cast<int>(found - attrNames_.begin());
}

void TNoxPigger::SetAttr(const std::string& name, const std::string& value)
{
    if (value.empty()) {
        DeleteAttr(name);
        return;
    }
    const std::string upperName = platform::UpperCaseAscii(name);
    if (const int index = AttrIndex(upperName); index >= 0) {
        attrValues_[static_cast<std::size_t>(index)] = value;
        return;
    }
    attrNames_.push_back(upperName);
    attrValues_.push_back(value);
}

std::string TNoxPigger::GetAttr(const std::string& name) const
{
    const int index = AttrIndex(platform::UpperCaseAscii(name));
    return index >= 0 ? attrValues_[static_cast<std::size_t>(index)] : std::string();
}

void TNoxPigger::DeleteAttr(const std::string& name)
{
    const int index = AttrIndex(platform::UpperCaseAscii(name));
    if (index < 0)
        return;
    attrNames_.erase(attrNames_.begin() + index);
    attrValues_.erase(attrValues_.begin() + index);
}

// ---- writing ----

std::string TNoxPigger::GetAsText() const
{
    TNoxBuffer buffer;
    WriteTo(buffer);
    return buffer.Take();
}

// The tags are written by helpers of their own, so that only a small frame stays on the stack
// for each level of nesting while the children are written.
void TNoxPigger::WriteTo(TNoxBuffer& buffer) const
{
    if (name_.empty())
        return;
    WriteStartTag(buffer);
    if (children_.empty() && text_.empty()) {
        buffer.Append("/>");
        return;
    }
    buffer.Append('>');
    buffer.Append(EscapeContentText(text_));
    for (const TNoxPigger* child : children_)
        child->WriteTo(buffer);
    WriteEndTag(buffer);
}

void TNoxPigger::WriteStartTag(TNoxBuffer& buffer) const
{
    buffer.Append(Indent());
    buffer.Append('<');
    buffer.Append(name_);
    for (std::size_t i = 0; i < attrNames_.size(); ++i) {
        buffer.Append(' ');
        buffer.Append(attrNames_[i]);
        buffer.Append("=\"");
        buffer.Append(EscapeText(attrValues_[i]));
        buffer.Append('"');
    }
}

void TNoxPigger::WriteEndTag(TNoxBuffer& buffer) const
{
    buffer.Append(Indent());
    buffer.Append("</");
    buffer.Append(name_);
    buffer.Append('>');
}

void TNoxPigger::SaveToStream(std::ostream& stream) const
{
    const std::string text = GetAsText();
    if (text.empty())
        return;
    stream.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!stream)
        throw std::runtime_error("Stream write error");
}

// ---- reading ----

void TNoxPigger::LoadFromStream(std::istream& stream)
{
    LoadFromBytes(std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()));
}

void TNoxPigger::LoadFromBytes(std::string bytes)
{
    SetAsText(WithCrLfLineEnds(std::move(bytes)));
}

void TNoxPigger::SetAsText(const std::string& text)
{
    Clear();
    if (text.empty())
        return;
    std::size_t position = SkipBlanks(text, 1);
    nesting_ = 0;
    ParseElement(text, position);
}

void TNoxPigger::ParseElement(const std::string& text, std::size_t& position)
{
    const std::size_t tagStart = FirstOf(text, "<", position);
    if (!tagStart)
        FailSyntax(position);
    std::size_t p = SkipBlanks(text, ParseStartTag(text, tagStart));
    if (CharIs(text, p, '/') && CharIs(text, p + 1, '>')) {
        position = p + 2;
        return;
    }
    if (!CharIs(text, p, '>'))
        FailSyntax(p + 1);
    position = ParseEndTag(text, ParseBody(text, p + 1));
}

// Name and attributes; returns the position of the '/' or '>' that ends them.
std::size_t TNoxPigger::ParseStartTag(const std::string& text, std::size_t tagStart)
{
    const std::size_t nameStart = SkipBlanks(text, tagStart + 1);
    const std::size_t nameEnd = FirstOf(text, kTagNameEnd, nameStart);
    if (!nameEnd)
        FailSyntax(nameStart);
    SetName(Slice(text, nameStart, nameEnd));
    std::size_t p = nameEnd;
    for (;;) {
        p = SkipBlanks(text, p);
        // Still on a blank after skipping: the text ends inside the tag.
        if (p > text.size() || IsBlank(text[p - 1]))
            FailSyntax(p);
        if (CharIs(text, p, '/') || CharIs(text, p, '>'))
            return p;
        p = ParseAttribute(text, p);
    }
}

// One attribute in any of its forms: NAME, NAME=value, NAME="value"; returns the position after it.
std::size_t TNoxPigger::ParseAttribute(const std::string& text, std::size_t nameStart)
{
    const std::size_t nameEnd = FirstOf(text, kAttrNameEnd, nameStart);
    if (!nameEnd)
        FailSyntax(nameStart);
    std::string value;
    std::size_t p = SkipBlanks(text, nameEnd);
    if (CharIs(text, p, '=')) {
        p = SkipBlanks(text, p + 1);
        const bool quoted = CharIs(text, p, '"');
        const std::size_t valueStart = quoted ? p + 1 : p;
        const std::size_t valueEnd = quoted ? FirstOf(text, "\"", valueStart) : FirstOf(text, kUnquotedValueEnd, valueStart);
        if (!valueEnd)
            FailSyntax(p);
        value = Slice(text, valueStart, valueEnd);
        p = quoted ? valueEnd + 1 : valueEnd;
    }
    // Appended as read: duplicates and empty values stay, unlike with SetAttr.
    attrNames_.push_back(platform::UpperCaseAscii(Slice(text, nameStart, nameEnd)));
    attrValues_.push_back(UnescapeText(value));
    return p;
}

// Content text and children; returns the position of the end tag's '<'.
std::size_t TNoxPigger::ParseBody(const std::string& text, std::size_t position)
{
    std::size_t p = position;
    for (;;) {
        p = SkipBlanks(text, p);
        const std::size_t tagStart = FirstOf(text, "<", p);
        if (!tagStart)
            FailSyntax(p);
        if (tagStart > p)
            AppendContent(text, p, tagStart);
        if (CharIs(text, tagStart + 1, '/'))
            return tagStart;
        p = ParseChild(text, tagStart);
    }
}

// Kept lean: it is on the stack once per level of nesting, with ParseElement and ParseBody.
std::size_t TNoxPigger::ParseChild(const std::string& text, std::size_t tagStart)
{
    if (nesting_ + 1 >= MaxNestingDepth)
        FailSyntax(tagStart);
    TNoxPigger* child = CreateChild(ChildTagName(text, tagStart));
    // A child nobody wants is parsed all the same, to find where it ends, and then dropped.
    const std::unique_ptr<TNoxPigger> skipped(child ? nullptr : new TNoxPigger);
    TNoxPigger* reader = child ? child : skipped.get();
    reader->nesting_ = nesting_ + 1;
    std::size_t p = tagStart;
    reader->ParseElement(text, p);
    if (child)
        ChildLoaded(child);
    return p;
}

// The tag name of the element starting at tagStart, as SetName would store it.
std::string TNoxPigger::ChildTagName(const std::string& text, std::size_t tagStart)
{
    const std::size_t nameStart = SkipBlanks(text, tagStart + 1);
    const std::size_t nameEnd = FirstOf(text, kTagNameEnd, nameStart);
    if (!nameEnd)
        FailSyntax(nameStart);
    return platform::UpperCaseAscii(platform::Trimmed(Slice(text, nameStart, nameEnd)));
}

// Returns the position after the end tag's '>'.
std::size_t TNoxPigger::ParseEndTag(const std::string& text, std::size_t position)
{
    const std::size_t tagStart = SkipBlanks(text, position);
    std::size_t closer = 0;
    if (CharIs(text, tagStart, '<') && CharIs(text, tagStart + 1, '/')) {
        const std::size_t nameStart = tagStart + 2;
        const std::size_t nameEnd = FirstOf(text, kAttrNameEnd, nameStart);
        if (nameEnd && platform::UpperCaseAscii(Slice(text, nameStart, nameEnd)) == name_)
            closer = SkipBlanks(text, nameEnd);
    }
    if (!CharIs(text, closer, '>'))
        Fail("Unclosed tag: " + name_, tagStart);
    return closer + 1;
}

void TNoxPigger::AppendContent(const std::string& text, std::size_t from, std::size_t to)
{
    const std::string content = UnescapeText(platform::Trimmed(std::string_view(text).substr(from - 1, to - from)));
    if (!content.empty() && AcceptText(content))
        text_ += content;
}

// ---- hooks ----

TNoxPigger* TNoxPigger::CreateChild(const std::string& /*tagName*/)
{
    return new TNoxPigger(this);
}

void TNoxPigger::ChildLoaded(TNoxPigger* /*child*/)
{
}

bool TNoxPigger::AcceptText(const std::string& /*text*/)
{
    return true;
}

void TNoxPigger::RaiseError(const std::string& message, std::size_t position)
{
    throw ENoxPiggerError(message, position);
}

void TNoxPigger::Fail(const std::string& message, std::size_t position)
{
    RaiseError(message, position);
    throw ENoxPiggerError(message, position);
}

void TNoxPigger::FailSyntax(std::size_t position)
{
    Fail("Syntax error", position);
}
