#include "core/menu_mnemonics.h"

#include <set>

namespace {

// Where a mnemonic may be looked for: the text before a shortcut written after a tab.
qsizetype LabelEnd(const QString& text)
{
    const qsizetype tab = text.indexOf('\t');
    return tab < 0 ? text.size() : tab;
}

// The character text marks with '&', or a null character when it marks none.
QChar MarkedCharacter(const QString& text)
{
    const qsizetype end = LabelEnd(text);
    for (qsizetype i = 0; i + 1 < end; ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        if (text[i + 1].isLetterOrNumber())
            return text[i + 1].toLower();
    }
    return {};
}

// Doubles every ampersand that marks nothing, so it is shown as it is.
QString WithLiteralAmpersands(const QString& text)
{
    QString escaped;
    for (qsizetype i = 0; i < text.size(); ++i) {
        escaped += text[i];
        if (text[i] != '&')
            continue;
        if (i + 1 < text.size() && text[i + 1] == '&')
            escaped += text[++i];
        else
            escaped += '&';
    }
    return escaped;
}

bool Eligible(QChar c)
{
    return c.isLetterOrNumber();
}

// The position of the character to mark in text, or -1 when every one is taken.
qsizetype ChooseMnemonic(const QString& text, const std::set<QChar>& used)
{
    const qsizetype end = LabelEnd(text);
    const auto free = [&](qsizetype i) { return Eligible(text[i]) && !used.count(text[i].toLower()); };
    for (qsizetype i = 0; i < end; ++i) {
        const bool startsWord = i == 0 || !text[i - 1].isLetterOrNumber();
        if (startsWord && free(i))
            return i;
    }
    for (qsizetype i = 0; i < end; ++i) {
        if (free(i))
            return i;
    }
    return -1;
}

} // namespace

bool HasMnemonic(const QString& text)
{
    return !MarkedCharacter(text).isNull();
}

std::vector<QString> WithMnemonics(const std::vector<QString>& texts)
{
    std::set<QChar> used;
    for (const QString& text : texts) {
        if (const QChar marked = MarkedCharacter(text); !marked.isNull())
            used.insert(marked);
    }
    std::vector<QString> marked;
    marked.reserve(texts.size());
    for (QString text : texts) {
        if (!HasMnemonic(text)) {
            text = WithLiteralAmpersands(text);
            if (const qsizetype at = ChooseMnemonic(text, used); at >= 0) {
                used.insert(text[at].toLower());
                text.insert(at, '&');
            }
        }
        marked.push_back(text);
    }
    return marked;
}
