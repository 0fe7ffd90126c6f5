#pragma once

#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace shopkeeper::catalogue {

inline constexpr const char* kExternalTableFileName = "id-name.txt";
inline constexpr const char* kLoadFailedTitle = "加载失败";
// Both are followed by a line that names the folder the table is read from (tableFolderLine).
inline constexpr const char* kMissingTableMessage =
    "找不到你的物品ID表。请把它以'ID (制表符) 物品名'的格式保存为GBK或UTF-8编码的文本文件，"
    "命名为'id-name.txt'，放在下面的文件夹里。";
inline constexpr const char* kUnsupportedTableMessage =
    "格式不支持！请以'ID (制表符) 物品名'的格式，保存为GBK或UTF-8编码的文本文件。";
inline constexpr const char* kUnknownItemName = "未知物品";
// Begins the second line of both messages above.
inline constexpr const char* kTableFolderLabel = "读取 id-name.txt 的文件夹：";

// The second line of a refusal: the folder that `file` is read from, as the user sees it.
std::string tableFolderLine(const std::filesystem::path& file);

// Why id-name.txt was not taken, with a title and a message for the user; the catalogue then
// keeps the built-in list only.
struct ExternalTableError
{
    enum class Reason
    {
        Missing,     // no file at the path: kMissingTableMessage, then the folder line
        Unsupported, // no TAB anywhere in the text (an empty file included): kUnsupportedTableMessage,
                     // then the folder line when read from a file
        Unreadable,  // the file exists but cannot be read: a message that names it and the reason
    };
    Reason reason = Reason::Missing;
    std::string title = kLoadFailedTitle;
    std::string message;
};

// The user's own item table, one item per line: ID, TAB, name. Held as UTF-8 lines.
//
// Encoding: a file that starts with a UTF-8 byte-order mark, or is well-formed UTF-8 throughout,
// is read as UTF-8 (many users save it so); any other file is GBK, code page 936.
// Lines: split at line breaks (CR LF, or a bare LF of a file saved with Unix line ends, which
// would otherwise make the whole file one line); a text without any line break is one line.
class ExternalItemTable
{
public:
    enum class Encoding
    {
        Utf8,
        Gbk
    };

    // Reads file (the text up to its first zero byte).
    static std::expected<ExternalItemTable, ExternalTableError> read(const std::filesystem::path& file);
    static std::expected<ExternalItemTable, ExternalTableError> fromBytes(std::string_view bytes);

    // The lines, without their line breaks. The table holds its text once and each line as a
    // place in it, so that a table of a million items takes little more than its file.
    std::size_t lineCount() const { return spans_.size(); }
    std::string_view line(std::size_t i) const
    {
        return std::string_view(text_).substr(spans_[i].begin, spans_[i].size);
    }
    // The same line with ASCII letters lowered, for the search.
    std::string_view loweredLine(std::size_t i) const
    {
        return std::string_view(lowered_).substr(spans_[i].begin, spans_[i].size);
    }
    // Every line, copied.
    std::vector<std::string> lines() const;
    Encoding encoding() const { return encoding_; }

    // The name of the first line whose ID field (the text before its first TAB, white space
    // around it trimmed) equals id, ASCII letters without case: the text between the line's
    // first and second TAB, or kUnknownItemName when nothing follows the first TAB. Nothing
    // when no line has that ID. (Matching the whole field, so item 1 never takes the name of a
    // line "21".)
    std::optional<std::string> nameOf(std::string_view id) const;

    // The two pieces of a line split at TAB that a search shows ("ID---name"): the text before
    // the first TAB and the text between the first and second TAB; nothing when the line has
    // fewer than two pieces.
    static std::optional<std::pair<std::string_view, std::string_view>> idAndName(std::string_view line);

private:
    ExternalItemTable() = default;
    static std::expected<ExternalItemTable, ExternalTableError> fromText(std::string text, Encoding encoding);
    // The lowered, trimmed ID field of line i; nothing for a line without TAB.
    std::optional<std::string_view> idFieldOf(std::size_t i) const;

    struct Span
    {
        std::uint32_t begin = 0;
        std::uint32_t size = 0;
    };
    std::string text_;    // UTF-8
    std::string lowered_; // text_ with ASCII letters lowered, offset for offset
    std::vector<Span> spans_;
    // (hash of the ID field, line) of every line with a TAB, ordered: the lines of one ID follow
    // each other in file order.
    std::vector<std::pair<std::size_t, std::uint32_t>> ids_;
    Encoding encoding_ = Encoding::Gbk;
};

} // namespace shopkeeper::catalogue
