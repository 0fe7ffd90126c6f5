#pragma once

#include "core/io/FileSystem.h"

#include <filesystem>
#include <string>

namespace shopkeeper::text {

// A UTF-8 script file (.shp, .npc, itemshop.lst). The text is the file's own bytes up to the
// first NUL, never re-encoded: invalid UTF-8 and a byte-order mark survive a save untouched.
// Whatever follows the first NUL is kept as the tail, so nothing the file held is lost.
struct ScriptTextFile
{
    std::string text;
    std::string tail; // from the first NUL (included) to the end; empty when the file has none

    // The file, or why it could not be read (missing or unreadable, told apart).
    static io::ReadResult<ScriptTextFile> read(const std::filesystem::path& path);
    static ScriptTextFile fromBytes(std::string bytes);

    // The bytes to write for new text: the text, then the old tail, or one NUL when there was
    // none, so that a saved script ends with a single 0x00 byte.
    std::string bytesFor(const std::string& newText) const;
    std::string bytesFor(std::string&& newText) const;
};

} // namespace shopkeeper::text
