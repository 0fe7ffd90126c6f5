#pragma once

#include "core/shop/ShopPage.h"
#include "gui/catalogue/ItemLookup.h"
#include "gui/jobs/JobRunner.h"

#include <QString>
#include <array>
#include <memory>
#include <vector>

namespace shopkeeper::gui {

// Turns the item IDs of the five pages into names on a worker thread. The pages are a copy
// taken when the run starts, so the grids can go on being used; names come back to the
// window's thread in blocks of rows, and finished() ends the run.
class PreviewFillJob : public QObject
{
    Q_OBJECT
public:
    explicit PreviewFillJob(QObject* parent = nullptr);
    ~PreviewFillJob() override;

    void start(shop::ShopPages pages, std::shared_ptr<const ItemLookup> lookup);
    bool isRunning() const { return runner_.isRunning(); }
    // Asks the run to stop; whatever it still delivers is dropped.
    void cancel() { runner_.cancel(); }
    // Cancels and waits for the worker to end.
    void stop() { runner_.stop(); }

signals:
    void namesReady(int page, int firstRow, const std::vector<QString>& names);
    void finished();

private:
    JobRunner runner_;
};

} // namespace shopkeeper::gui
