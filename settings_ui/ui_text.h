#pragma once
#include <QString>
#include <string>

// Texts are UTF-8 byte strings in the program and QString only inside the widgets.
inline QString ToQ(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string FromQ(const QString& text)
{
    return text.toUtf8().toStdString();
}
