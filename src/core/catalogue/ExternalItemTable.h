#pragma once

#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shopkeeper::catalogue {

inline constexpr const char* kExternalTableFile = "id-name.txt";
inline constexpr const char* kLoadFailedTitle = "加载失败";
inline constexpr const char* kExternalTableMissingMessage =
    "请将你的物品ID文件以'ID (制表符) "
    "物品名'的格式放置到与本工具同目录下，并命名为'id-name.txt'[文本编码为Ansi]";
inline constexpr const char* kExternalTableFormatMessage =
    "格式不支持！请以'ID (制表符) 物品名'的格式，保存为Ansi编码的文本文件。";

struct ExternalTableError
{
    enum class Kind
    {
        Missing, // no id-name.txt
        NoTab,   // the file holds no TAB at all (an empty file included)
    };
    Kind kind = Kind::Missing;
    std::string message;
};

// The user's own item table id-name.txt: one item per line, ID TAB name. The game's tools save
// it as GBK, many editors as UTF-8: a file that starts with a UTF-8 byte-order mark or is valid
// UTF-8 throughout is read as UTF-8, any other as GBK.
class ExternalItemTable
{
public:
    static std::expected<ExternalItemTable, ExternalTableError> load(const std::filesystem::path& path);
    static std::expected<ExternalItemTable, ExternalTableError> fromBytes(std::string_view bytes);

    const std::vector<std::string>& lines() const { return lines_; }

    // The name on the first line whose ID field (the text before its first TAB, white space
    // trimmed) is id: the text between the first and the second TAB. A line holding "21" never
    // names item 1.
    std::optional<std::string> nameOf(std::string_view id) const;

private:
    std::vector<std::string> lines_;
};

} // namespace shopkeeper::catalogue
