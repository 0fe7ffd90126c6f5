#pragma once

#include "Result.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// File access the way the game's tools see a folder: names match ASCII-case-insensitively,
// as on Windows, so "NPC" and "npc" are one folder and "X.SHP" is a shop file.
namespace shopkeeper::io {

namespace fs = std::filesystem;

// Reads at most maxBytes of a file; an error names the file and the reason.
Result<std::string> readFileBytes(const fs::path& path, std::uintmax_t maxBytes = 256u * 1024u * 1024u);

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

// True when the file exists and carries no write permission for its owner: such a file is
// treated as read-only even by a user who could override it, as the read-only attribute is.
bool isReadOnlyFile(const fs::path& path);

} // namespace shopkeeper::io
