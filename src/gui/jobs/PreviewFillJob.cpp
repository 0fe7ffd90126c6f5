#include "gui/jobs/PreviewFillJob.h"

#include "core/shop/ShopPage.h"

namespace shopkeeper::gui {

namespace {

// Rows handed over at a time: few enough hand-overs for a long page, soon enough to show.
constexpr std::size_t kRowsPerBlock = 40;

} // namespace

PreviewFillJob::PreviewFillJob(QObject* parent) : WorkerJob(parent) {}

PreviewFillJob::~PreviewFillJob()
{
    cancel();
}

void PreviewFillJob::start(Pages pages, std::shared_ptr<const ItemLookup> lookup)
{
    WorkerJob::start([this, pages = std::move(pages), lookup](const JobRun::Ticket& ticket) {
        const std::size_t block = kRowsPerBlock * shop::kColumns;
        for (int page = 0; page < static_cast<int>(pages.size()); ++page) {
            const auto& cells = pages[static_cast<std::size_t>(page)];
            for (std::size_t first = 0; first < cells.size(); first += block) {
                if (ticket.isCancelled())
                    return;
                std::vector<QString> names;
                const std::size_t end = std::min(cells.size(), first + block);
                names.reserve(end - first);
                for (std::size_t i = first; i < end; ++i) {
                    if (ticket.isCancelled())
                        return;
                    names.push_back(lookup->nameOf(cells[i]));
                }
                const int row = static_cast<int>(first / shop::kColumns);
                deliver(ticket.id,
                        [this, page, row, names = std::move(names)] { emit namesReady(page, row, names); });
            }
        }
        deliver(ticket.id, [this] {
            endRun();
            emit finished();
        });
    });
}

} // namespace shopkeeper::gui
