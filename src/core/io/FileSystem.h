#pragma once

#include "core/Result.h"

#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// File access the way the game's tools see a folder: names match ASCII-case-insensitively,
// as on Windows, so "NPC" and "npc" are one folder and "X.SHP" is a shop file.
namespace shopkeeper::io {

namespace fs = std::filesystem;

// Why a file could not be read. A missing file and an unreadable one are different things to
// a caller: a missing table starts empty, an unreadable one must never be replaced by an empty one.
struct ReadError
{
    enum class Kind
    {
        Missing,    // no file of that name
        Unreadable, // it exists but cannot be read: permissions, an I/O error, a folder, too large
    };
    Kind kind = Kind::Unreadable;
    std::string message; // names the file and the reason
    fs::path path;

    bool isMissing() const { return kind == Kind::Missing; }
    operator Error() const { return Error{message}; }
};

template <typename T> using ReadResult = std::expected<T, ReadError>;

// Reads at most maxBytes of a file; an error names the file and the reason.
ReadResult<std::string> readFileBytes(const fs::path& path, std::uintmax_t maxBytes = 256u * 1024u * 1024u);

// Whether readFileBytes could read path now, without reading it: a regular file that opens for
// reading. The error is the one readFileBytes would give.
ReadResult<void> checkReadable(const fs::path& path);

// What a reader saw of a file, to tell later whether someone else has changed it since.
struct FileFingerprint
{
    bool known = false;  // false for a document that was not read from a file
    bool exists = false; // the file was there when the fingerprint was taken
    std::uintmax_t size = 0;
    fs::file_time_type modified{};
    std::uint64_t hash = 0; // FNV-1a 64 over the bytes

    // The same file: the same size and bytes. A new modification time over the same bytes
    // (a touch, a copy of the same file) loses nothing of anyone's and is no change.
    bool sameContentAs(const FileFingerprint& other) const
    {
        return exists == other.exists && size == other.size && hash == other.hash;
    }
};

std::uint64_t fnv1a64(std::string_view bytes);
// The fingerprint of bytes just read from (or written to) path.
FileFingerprint fingerprintOf(const fs::path& path, std::string_view bytes);
FileFingerprint missingFileFingerprint();

// The entry that matches each component of relative under base, components compared
// ASCII-case-insensitively (an exact match wins); nothing when a component is missing.
std::optional<fs::path> resolvePath(const fs::path& base, const fs::path& relative);

// True when any entry of that name exists, a folder included.
bool pathExists(const fs::path& base, const fs::path& relative);

// Matches a file name against a wildcard with "*" and "?", ASCII-case-insensitively.
bool wildcardMatch(std::string_view pattern, std::string_view name);

// Files (never folders) of one folder whose names match the wildcard, sorted by file name
// ASCII-case-insensitively so that every platform lists them in the same order.
std::vector<fs::path> listFiles(const fs::path& folder, std::string_view pattern);

// A path as UTF-8 text with the platform's own separators.
std::string displayPath(const fs::path& path);
fs::path pathFromUtf8(std::string_view text);

// The file that path names after following its symbolic links one by one: path itself when it
// is no link. The end of the chain need not exist. A write replaces that file, so the links stay
// links and the edit reaches the file they point at. Fails on a loop or an unreadable link.
Result<fs::path> resolveLinks(const fs::path& path);

// True for a regular file of zero bytes (a symbolic link is not followed).
bool isEmptyRegularFile(const fs::path& path);

// True when the file exists and carries no write permission for its owner: such a file is
// treated as read-only even by a user who could override it, as the read-only attribute is.
bool isReadOnlyFile(const fs::path& path);

} // namespace shopkeeper::io
