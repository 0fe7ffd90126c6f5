#include "core/text/ScriptTextFile.h"

#include "core/io/FileSystem.h"

namespace shopkeeper::text {

ScriptTextFile ScriptTextFile::fromBytes(std::string bytes)
{
    ScriptTextFile file;
    const auto nul = bytes.find('\0');
    if (nul != std::string::npos) {
        file.tail = bytes.substr(nul);
        bytes.resize(nul);
    }
    file.text = std::move(bytes);
    return file;
}

io::ReadResult<ScriptTextFile> ScriptTextFile::read(const std::filesystem::path& path)
{
    auto bytes = io::readFileBytes(path);
    if (!bytes)
        return std::unexpected(bytes.error());
    return fromBytes(std::move(*bytes));
}

std::string ScriptTextFile::bytesFor(const std::string& newText) const
{
    return bytesFor(std::string(newText));
}

std::string ScriptTextFile::bytesFor(std::string&& newText) const
{
    std::string out = std::move(newText);
    if (tail.empty())
        out.push_back('\0');
    else
        out += tail;
    return out;
}

} // namespace shopkeeper::text
