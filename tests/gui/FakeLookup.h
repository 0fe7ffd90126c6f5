#pragma once

#include "gui/catalogue/ItemLookup.h"
#include "gui/catalogue/ItemTableSource.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
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
    mutable std::atomic<int> searches{0}; // searches started, on any thread

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
        ++searches;
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

// The editor's item tables in a test: every view is the given lookup. The built-in list counts
// as loaded, or, made with loaded false, its load waits until the test calls finishLoad().
class FixedTables : public gui::ItemTableSource
{
public:
    explicit FixedTables(std::shared_ptr<const gui::ItemLookup> lookup, bool loaded = true)
        : lookup_(std::move(lookup)), loaded_(loaded)
    {
    }

    bool builtinLoaded() const override { return loaded_; }
    void loadBuiltin() override
    {
        std::unique_lock lock(mutex_);
        ++loads_;
        gate_.wait(lock, [this] { return released_; });
    }
    std::shared_ptr<const gui::ItemLookup> view(const catalogue::ItemCatalogue&, bool) const override
    {
        return lookup_;
    }

    void finishLoad()
    {
        {
            std::lock_guard lock(mutex_);
            released_ = true;
        }
        gate_.notify_all();
    }
    int loads()
    {
        std::lock_guard lock(mutex_);
        return loads_;
    }

private:
    std::shared_ptr<const gui::ItemLookup> lookup_;
    bool loaded_;
    std::mutex mutex_;
    std::condition_variable gate_;
    bool released_ = false;
    int loads_ = 0;
};

} // namespace shopkeeper::test
