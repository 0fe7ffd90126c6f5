#include "gui/jobs/PreviewFillJob.h"

#include "core/shop/ShopPage.h"

namespace shopkeeper::gui {

namespace {

// Rows handed over at a time: few enough hand-overs for a long page, soon enough to show.
constexpr std::size_t kRowsPerBlock = 40;

} // namespace

PreviewFillJob::PreviewFillJob(QObject* parent) : QObject(parent) {}

PreviewFillJob::~PreviewFillJob()
{
    stop();
}

void PreviewFillJob::start(shop::ShopPages pages, std::shared_ptr<const ItemLookup> lookup)
{
    runner_.start([this, pages = std::move(pages), lookup](const JobRun::Ticket& ticket) {
        for (int page = 0; page < static_cast<int>(pages.size()); ++page) {
            const auto& rows = pages[static_cast<std::size_t>(page)].rows();
            for (std::size_t first = 0; first < rows.size(); first += kRowsPerBlock) {
                const std::size_t end = std::min(rows.size(), first + kRowsPerBlock);
                auto names = lookup->namesOf({rows.begin() + static_cast<std::ptrdiff_t>(first),
                                              rows.begin() + static_cast<std::ptrdiff_t>(end)},
                                             *ticket.cancelFlag);
                if (!names || ticket.isCancelled())
                    return;
                const int row = static_cast<int>(first);
                runner_.deliver(ticket.id, [this, page, row, names = std::move(*names)] {
                    emit namesReady(page, row, names);
                });
            }
        }
        runner_.deliver(ticket.id, [this] {
            runner_.endRun();
            emit finished();
        });
    });
}

} // namespace shopkeeper::gui
