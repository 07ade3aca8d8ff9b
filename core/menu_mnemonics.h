#pragma once
#include <QString>
#include <vector>

// Whether text already marks a letter for Alt ("&File"); "&&" is a literal ampersand.
bool HasMnemonic(const QString& text);

// The texts of one menu (or of the menu bar) with an Alt mnemonic each, the displayed text left as
// it is. A text that already marks one keeps it; the others take, in order, the first free letter
// or digit that starts one of their words, else any free letter or digit of theirs, so no two
// share one. A text with no free character is left without.
std::vector<QString> WithMnemonics(const std::vector<QString>& texts);
