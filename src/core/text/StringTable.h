#pragma once

#include "core/Result.h"
#include "core/io/FileSystem.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shopkeeper::text {

// A BIG5 string table (.str): lines of key ">" text. Each line keeps the bytes it was read
// with; a save writes untouched lines back byte for byte and encodes only the lines that were
// changed or added, because traditional -> simplified -> traditional is lossy (麵包 would
// come back as 麪包) and would quietly rewrite every other shop's names.
//
// A table is read without decoding it: keys are found on the raw bytes (a line starts after
// CR LF, and neither CR, LF nor ">" is ever a byte of a two-byte BIG5 character), and only the
// lines that are looked up, written or searched are decoded. A shop uses a handful of lines of
// a table that may hold a hundred thousand.
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
    // lookup of each key. The lines the keys need are decoded together, which costs far less
    // than decoding them one by one.
    std::vector<std::optional<std::string>> lookupAll(const std::vector<std::string>& keys) const;
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
    std::string decodedLine(std::size_t i) const;
    bool isModified() const;

    // The decoded table, lines joined with CR LF.
    std::string text() const;
    // The bytes to write: untouched lines as read, changed and added lines encoded.
    Result<std::string> encoded() const;

private:
    static StringTable fromOwnBytes(std::string bytes);

    // A line is a slice of the bytes read until it is decoded for its key, changed, copied or
    // added; then it also has an Own entry.
    struct Line
    {
        std::uint32_t begin = 0;
        std::uint32_t size = 0;
        std::int32_t own = -1;
    };
    struct Own
    {
        std::string decoded;
        bool changed = false;  // written by encoding decoded
        std::string rawPrefix; // for a copied line: bytes written before the slice, which holds the text
    };

    std::string_view rawOf(const Line& line) const;
    const Own* ownOf(std::size_t i) const;
    Own& makeOwn(std::size_t i);
    bool keepsBytes(std::size_t i) const;
    std::optional<std::string_view> keyOf(std::size_t i) const;
    std::optional<std::size_t> lineOfKey(std::string_view key) const;
    void index(std::size_t i);
    void addLine(Own own, std::uint32_t begin = 0, std::uint32_t size = 0);

    std::shared_ptr<const std::string> bytes_ = std::make_shared<const std::string>();
    std::vector<Line> lines_;
    std::vector<Own> owns_;
    std::size_t readLines_ = 0; // lines_ up to here are the file's, in file order
    bool endsWithLineBreak_ = false;
    std::string tail_;
    std::vector<std::uint32_t> keyHashes_; // of each line's key, 0 for a line without one
};

} // namespace shopkeeper::text
