#pragma once

#include "core/shop/ShopPage.h"

#include <QString>
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

namespace shopkeeper::gui {

// One result of an item search: an ID and its name.
struct SearchHit
{
    QString id;
    QString name;
};

// One fixed view of the item tables (the user's table, when in use, and the built-in list),
// safe to use from worker threads: it never changes once made. The windows get a new view when
// the user's table is loaded or dropped.
class ItemLookup
{
public:
    virtual ~ItemLookup() = default;

    // The name of the item with this ID: "" for "-1", "未知物品" when no table knows it.
    virtual QString nameOf(const QString& id) const = 0;
    // The names of whole rows of a page, row-major, seven per row; nothing once cancel is set.
    virtual std::optional<std::vector<QString>> namesOf(const std::vector<shop::ShopPage::Row>& rows,
                                                        const std::atomic<bool>& cancel) const
    {
        std::vector<QString> names;
        names.reserve(rows.size() * shop::kColumns);
        for (const auto& row : rows) {
            for (const auto& id : row) {
                if (cancel.load())
                    return std::nullopt;
                names.push_back(nameOf(QString::fromStdString(id)));
            }
        }
        return names;
    }

    // Every hit for text, in the search window's order: the user's table first, then the
    // built-in entries whose name was not already listed. onHit returns false to stop; so does
    // cancel becoming true. Both are checked after every entry examined.
    virtual void search(const QString& text, const std::function<bool(const SearchHit&)>& onHit,
                        const std::atomic<bool>& cancel) const = 0;
};

} // namespace shopkeeper::gui
