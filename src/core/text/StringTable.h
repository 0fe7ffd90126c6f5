#pragma once

#include "core/Result.h"
#include "core/io/FileSystem.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace shopkeeper::text {

// A BIG5 string table (.str): lines of key ">" text. Each line keeps the bytes it was read
// with; a save writes untouched lines back byte for byte and encodes only the lines that were
// changed or added, because traditional -> simplified -> traditional is lossy (麵包 would
// come back as 麪包) and would quietly rewrite every other shop's names.
class StringTable
{
public:
    static StringTable fromBytes(std::string_view bytes);
    // The table, or why it could not be read. A missing file and an unreadable one are told
    // apart: only a missing table may be started anew.
    static io::ReadResult<StringTable> read(const std::filesystem::path& path);
    // A missing file gives an empty table; an unreadable one is still an error.
    static io::ReadResult<StringTable> readOrEmpty(const std::filesystem::path& path);

    // The text of the first line, in file order, whose key (the text before its first ">",
    // white space trimmed) equals key ASCII-case-insensitively: the text between the first
    // and second ">", or to the end of the line. Nothing when there is no such line or no text.
    std::optional<std::string> lookup(std::string_view key) const;
    bool hasKey(std::string_view key) const;

    // True when needle occurs anywhere in the decoded table, ASCII case folded.
    bool containsText(std::string_view needle) const;

    // Gives key the text name: the key's first line is replaced (only that line), or a new
    // line is appended when the key has none. A line that already says name keeps its bytes.
    void setLine(std::string_view key, std::string_view name);
    // Adds a line after the last one.
    void appendLine(std::string_view line);
    // Adds the line newKey ">" text, where text is the text of fromKey's line with the bytes it
    // was read with: a name that is only copied is never re-encoded (it may hold bytes that BIG5
    // decoding could not read). False, and nothing added, when fromKey has no line with text.
    bool appendLineCopyingText(std::string_view newKey, std::string_view fromKey);

    std::size_t lineCount() const { return lines_.size(); }
    std::string decodedLine(std::size_t i) const { return lines_.at(i).decoded; }
    bool isLineChanged(std::size_t i) const { return lines_.at(i).changed; }
    bool isModified() const;

    // The decoded table, lines joined with CR LF.
    std::string text() const;
    // The bytes to write: untouched lines as read, changed and added lines encoded.
    Result<std::string> encoded() const;

private:
    struct Line
    {
        std::string raw;
        std::string decoded;
        bool changed = false;
        std::string rawPrefix; // for a copied line: bytes written before raw, which holds the text
    };

    void indexLine(std::size_t i);

    std::vector<Line> lines_;
    bool endsWithLineBreak_ = false;
    std::string tail_;
    std::unordered_map<std::string, std::size_t> firstLineOfKey_;
    mutable std::string foldedText_;
    mutable bool foldedTextValid_ = false;
};

} // namespace shopkeeper::text
