#pragma once

#include "core/Result.h"
#include "core/io/FileSystem.h"

#include <cstdint>
#include <filesystem>
#include <memory>
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
//
// A table is read without decoding it: keys are found on the raw bytes (a line starts after
// CR LF, and neither CR, LF nor ">" is ever a byte of a two-byte BIG5 character), and only the
// lines that are looked up, written or searched are decoded. A shop uses a handful of lines of
// a table that may hold a hundred thousand.
class StringTable
{
public:
    StringTable();

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
    // Decodes every line now, together, for a caller about to look up most of them (every shop's
    // page names): one conversion of the whole table costs far less than one per shop.
    void decodeAll() const;

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

    std::size_t lineCount() const;
    std::string decodedLine(std::size_t i) const;
    bool isModified() const;
    // True when this table is unchanged since it was read from bytes: reading bytes again
    // would give the same table, so a copy of this one can stand for it.
    bool isReadFrom(std::string_view bytes) const;

    // The decoded table, lines joined with CR LF.
    std::string text() const;
    // The bytes to write: untouched lines as read, changed and added lines encoded.
    Result<std::string> encoded() const;
    // Says that written, this table's encoded(), is now the file: the next read of the same
    // bytes takes their lines and keys from this table instead of finding them again.
    void rememberWritten(std::string written) const;

    // The table of bytes with its lines and keys found anew, never taken from a table read or
    // written before; and whether two tables were read with the same bytes, lines and keys.
    // For the checks of that reuse.
    static StringTable indexed(std::string_view bytes);
    bool sameIndexAs(const StringTable& other) const;
    static bool isKept(std::string_view bytes) { return recall(bytes, nullptr, nullptr) != nullptr; }
    // Drops the tables kept for reuse: the next read of any table finds its lines anew, as the
    // first read of a program does.
    static void forgetKept();

private:
    static StringTable fromOwnBytes(std::string bytes, bool useKept = true);

    struct Span
    {
        std::uint32_t begin = 0;
        std::uint32_t size = 0;
    };
    // The table as read: its bytes, its lines and their key hashes. Shared, never changed, by
    // every copy of the table, so that a copy costs no more than a few pointers whatever the
    // size of the table; it also keeps the decoded lines and the lowered bytes once made.
    struct Read;
    // A line that this table changed, added or copied.
    struct Own
    {
        std::string decoded;
        bool changed = false;  // written by encoding decoded
        std::string rawPrefix; // for a copied line: bytes written before slice, which holds the text
        Span slice;
    };

    static void addLineOf(Read& read, std::size_t begin, std::size_t size,
                          std::vector<std::size_t>& wideKeys);
    static void keyWideLines(Read& read, const std::vector<std::size_t>& wideKeys);
    // The kept read whose bytes are bytes, if any; with remembered, keeps that one instead, in
    // the place of replaced when that is kept; with neither (no bytes at all), forgets them all.
    static std::shared_ptr<const Read> recall(std::string_view bytes, const Read* remembered,
                                              const Read* replaced);
    static void remember(const std::shared_ptr<const Read>& read, const Read* replaced = nullptr);

    std::size_t readCount() const;
    std::string_view rawOf(std::size_t i) const;
    std::string_view rawOf(Span span) const;
    const Own* ownOf(std::size_t i) const;
    // The decoded line when this table already holds it (changed, added, or read with a key
    // that is not ASCII).
    const std::string* knownDecoded(std::size_t i) const;
    std::string decodedReadLine(std::size_t i) const;
    // containsText over the read lines that this table kept as read, for a lowered plain word.
    bool readLinesHold(const std::string& folded) const;
    std::optional<std::string_view> keyOf(std::size_t i) const;
    std::optional<std::size_t> lineOfKey(std::string_view key) const;
    void addLine(Own own);

    std::shared_ptr<const Read> read_;
    std::unordered_map<std::size_t, Own> changed_; // read lines given another text, by line number
    std::vector<Own> added_;                       // lines after the read ones
    std::vector<std::uint32_t> addedHashes_;       // of each added line's key, 0 for none
};

} // namespace shopkeeper::text
