#pragma once

#include "core/shop/SaveChange.h"
#include "gui/windows/PlaceListModel.h"

#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace shopkeeper::gui {

// What changed of one shop file, for a change list.
struct ShopChangeLines
{
    std::filesystem::path shopFile;
    QString fileName;
    shop::ShopChange change;
    QString problem; // why nothing can be shown of this shop
};

// The lines of a change list, in the shop's own terms: one per changed cell (page, row, column,
// the item before and after with its name), page name, repair flag and line of the page-name
// table, of one or several shops. A line's place is its cell, or its page for a page name.
class ChangeLines
{
public:
    // The item's name for an ID ("" when none is known yet).
    using NameOf = std::function<QString(const QString& id)>;

    // The columns: the shop (withShop), where, and the two sides.
    static QStringList headers(bool withShop, const QString& before, const QString& after);
    static PlaceListModel::Source source(std::shared_ptr<const std::vector<ShopChangeLines>> shops,
                                         bool withShop, NameOf nameOf);
    // "第1页 2行 3列"
    static QString cellPlace(const shop::CellAt& at);
    // A cell's text as the list shows it: the ID and its name, "（空）" for an empty slot.
    static QString cellText(const std::string& text, const NameOf& nameOf);
    // "3 个格子、4 个空格填充 -1、1 个页名称、修理装备": what a change holds, for a status line or a
    // shop's line.
    static QString counts(const shop::ShopChange& change);
};

} // namespace shopkeeper::gui
