#include "core/catalogue/ItemCatalogue.h"

#include "core/io/FileSystem.h"

namespace shopkeeper::catalogue {

ItemCatalogue::ItemCatalogue(std::shared_ptr<const BuiltinItemList> builtin) : builtin_(std::move(builtin)) {}

const BuiltinItemList& ItemCatalogue::builtin() const
{
    return builtin_ ? *builtin_ : BuiltinItemList::instance();
}

std::filesystem::path externalTablePath(const std::filesystem::path& folder)
{
    // Names match without case, as on Windows: "ID-Name.txt" is the table too.
    return io::resolvePath(folder, kExternalTableFileName).value_or(folder / kExternalTableFileName);
}

std::expected<void, ExternalTableError> ItemCatalogue::loadExternalTable(const std::filesystem::path& folder)
{
    external_.reset();
    auto table = ExternalItemTable::read(externalTablePath(folder));
    if (!table)
        return std::unexpected(std::move(table.error()));
    setExternalTable(std::move(*table));
    return {};
}

void ItemCatalogue::setExternalTable(ExternalItemTable table)
{
    external_ = std::make_shared<const ExternalItemTable>(std::move(table));
}

std::string ItemCatalogue::idToName(std::string_view id) const
{
    if (id == "-1" || id.empty())
        return {};
    if (external_) {
        if (auto name = external_->nameOf(id))
            return std::move(*name);
    }
    const BuiltinItemList& list = builtin();
    if (const auto entry = list.indexOf(id))
        return std::string(list.name(*entry));
    return kUnknownItemName;
}

bool ItemCatalogue::isUnknown(std::string_view id) const
{
    if (id == "-1" || id.empty())
        return false;
    if (external_) {
        if (const auto name = external_->nameOf(id))
            return *name == kUnknownItemName;
    }
    const BuiltinItemList& list = builtin();
    const auto entry = list.indexOf(id);
    return !entry || list.name(*entry) == kUnknownItemName;
}

} // namespace shopkeeper::catalogue
