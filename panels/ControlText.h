#pragma once

#include <string>
#include <string_view>

#include <QByteArray>
#include <QString>

#include "base/AnsiText.h"

// The control's texts (8-bit, Windows-1252) in and out of Qt, through the one conversion every
// face shares (base/AnsiText.h). Paths of files and folders are not control texts: they keep the
// file system's encoding (QFile::encodeName, QString::fromLocal8Bit).

namespace zr
{

inline QString FromControlText(std::string_view text)
{
    const std::string utf8 = AnsiToUtf8(text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// False, with `error` naming the character, for a text the control's texts cannot hold.
inline bool ToControlText(const QString& text, std::string& ansi, std::string& error)
{
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToAnsi(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), ansi,
                      error);
}

} // namespace zr
