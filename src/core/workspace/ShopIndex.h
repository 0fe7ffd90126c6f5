#pragma once

#include "core/io/FileSystem.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace shopkeeper::workspace {

// The shop index itemshop.lst: lines of shop number, TAB, and a token naming the shop file
// (in the game's files a path between back-quotes). Indexed once when read.
class ShopIndex
{
public:
    static ShopIndex fromText(std::string_view text);
    static io::ReadResult<ShopIndex> read(const std::filesystem::path& path);

    // The number of the first line whose file token, reduced to its last path component,
    // equals name ASCII-case-insensitively; nothing when none does.
    std::optional<std::string> shopNumberOf(std::string_view name) const;

    std::size_t size() const { return numberOfFile_.size(); }

private:
    std::unordered_map<std::string, std::string> numberOfFile_;
};

} // namespace shopkeeper::workspace
