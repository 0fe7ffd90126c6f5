#pragma once

#include <QDir>
#include <QString>
#include <filesystem>
#include <string>

// Text in the core is UTF-8 std::string; the windows speak QString.
namespace shopkeeper::gui {

inline QString qs(const std::string& utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string u8(const QString& text)
{
    return text.toUtf8().toStdString();
}

inline std::filesystem::path toPath(const QString& text)
{
    return std::filesystem::path(text.toStdU16String());
}

inline QString fromPath(const std::filesystem::path& path)
{
    return QString::fromStdU16String(path.u16string());
}

inline QString nativePath(const std::filesystem::path& path)
{
    return QDir::toNativeSeparators(fromPath(path));
}

// A tab caption that shows "&" as typed: the tab bar would take a lone "&" as a shortcut marker.
inline QString tabCaption(QString name)
{
    return name.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace shopkeeper::gui
