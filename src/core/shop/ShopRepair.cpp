#include "core/shop/ShopRepair.h"

#include "core/io/FileSystem.h"
#include "core/text/ScriptTextFile.h"

namespace shopkeeper::shop {

namespace {

std::unexpected<ShopReadError> failure(ShopReadError::Kind kind, std::string message)
{
    ShopReadError error;
    error.kind = kind;
    error.message = std::move(message);
    return std::unexpected(std::move(error));
}

} // namespace

std::expected<ShopDocument, ShopReadError> openWithMendedBlock(const std::filesystem::path& path,
                                                               const std::filesystem::path& tablePath,
                                                               std::string_view mendedBlock)
{
    auto table = text::StringTable::readOrEmpty(tablePath);
    if (!table)
        return failure(ShopReadError::Kind::TableUnreadable, table.error().message);
    auto bytes = io::readFileBytes(path);
    if (!bytes)
        return failure(bytes.error().isMissing() ? ShopReadError::Kind::Missing
                                                 : ShopReadError::Kind::Unreadable,
                       bytes.error().message);
    const auto original = text::ScriptTextFile::fromBytes(*bytes);
    const auto sell = findSection(original.text, "[sell item]", "[/sell item]");
    if (!sell)
        return failure(ShopReadError::Kind::NoSellBlock, kMissingSellBlockMessage);

    // Read the file as it would be with the mended block: everything the reader checks, the
    // round trip included, is checked on that.
    std::string mendedText = original.text;
    mendedText.replace(sell->begin, sell->end - sell->begin,
                       "[sell item]\r\n" + std::string(mendedBlock) + "\r\n[/sell item]");
    auto document = ShopReader::fromBytes(original.bytesFor(mendedText), std::move(*table));
    if (!document)
        return document;

    // Bound to the file as it is: the save replaces the old block and checks the disk against
    // what was read here.
    auto& source = document->source();
    source.file = original;
    source.sellSection = original.text.substr(sell->begin, sell->end - sell->begin);
    source.path = path;
    source.fingerprint = io::fingerprintOf(path, *bytes);
    return document;
}

} // namespace shopkeeper::shop
