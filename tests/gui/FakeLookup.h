#pragma once

#include "gui/catalogue/ItemLookup.h"

#include <chrono>
#include <map>
#include <thread>
#include <vector>

namespace shopkeeper::test {

// Item tables for window tests: a few names, and entries to search through, optionally slow so
// that a test can act while a fill or a search is still running.
class FakeLookup : public gui::ItemLookup
{
public:
    std::map<QString, QString> names;
    std::vector<gui::SearchHit> entries;
    std::chrono::microseconds delayPerItem{0};

    QString nameOf(const QString& id) const override
    {
        if (delayPerItem.count() > 0)
            std::this_thread::sleep_for(delayPerItem);
        if (id == "-1")
            return {};
        const auto it = names.find(id);
        return it == names.end() ? QStringLiteral("未知物品") : it->second;
    }
    void search(const QString& text, const std::function<bool(const gui::SearchHit&)>& onHit,
                const std::atomic<bool>& cancel) const override
    {
        for (const auto& entry : entries) {
            if (cancel.load())
                return;
            if (delayPerItem.count() > 0)
                std::this_thread::sleep_for(delayPerItem);
            if (entry.name.contains(text, Qt::CaseInsensitive) && !onHit(entry))
                return;
        }
    }
};

} // namespace shopkeeper::test
