#pragma once

#include "core/shop/ShopReader.h"

#include <filesystem>
#include <string_view>

namespace shopkeeper::shop {

// A shop whose sell-item block cannot be read as it stands (more than five pages, say) can be
// mended by the user: the file is opened with mendedBlock in place of its block, and the result
// is bound to the file as it is on disk. Its pages are those of mendedBlock; a save writes the
// mended block over the old one and keeps every other byte, as for any open shop. The mended
// block must read as a block; anything else fails as the reader would.
std::expected<ShopDocument, ShopReadError> openWithMendedBlock(const std::filesystem::path& path,
                                                               const std::filesystem::path& tablePath,
                                                               std::string_view mendedBlock);

} // namespace shopkeeper::shop
