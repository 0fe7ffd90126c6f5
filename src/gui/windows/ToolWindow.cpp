#include "gui/windows/ToolWindow.h"

#include "core/tools/ItemId.h"
#include "gui/catalogue/CatalogueService.h"
#include "gui/session/ShopSession.h"
#include "gui/settings/Settings.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/WindowPlacement.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <algorithm>

namespace shopkeeper::gui {

ToolWindow::ToolWindow(ShopSession& session, CatalogueService& catalogue, Dialogs& dialogs, QWidget* owner,
                       const QString& positionName)
    : QWidget(owner, Qt::Window), FramelessWindow(this), session_(session), catalogue_(catalogue),
      dialogs_(dialogs), owner_(owner), positionName_(positionName)
{
    setAttribute(Qt::WA_DeleteOnClose);
    settings::rememberPosition(this, positionName_);
    connect(&job_, &WorkspaceToolJob::failed, this, [this](const QString& message) {
        status_->setText(message);
        dialogs_.message(this, QStringLiteral("错误提示"), message, Dialogs::Icon::Error);
        emit finished();
    });
}

ToolWindow::~ToolWindow()
{
    job_.stop();
}

void ToolWindow::setUpResults(QTableView* table, QLabel* status, const QStringList& headers,
                              const QList<int>& widths)
{
    table_ = table;
    status_ = status;
    places_ = new PlaceListModel(headers, this);
    table_->setModel(places_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(22);
    // The last column takes the rest of the width; a long text is elided and shown in full as a tip.
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table_->horizontalHeader()->setHighlightSections(false);
    for (int column = 0; column < widths.size(); ++column)
        table_->setColumnWidth(column, widths.at(column));
    connect(table_, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { choose(index.row()); });
}

void ToolWindow::fitColumnsToContents()
{
    // The view measures the lines it shows (and a sample of the others), never all of a long list.
    const int last = places_->columnCount() - 1;
    QList<int> wanted;
    int total = 0;
    for (int column = 0; column < last; ++column) {
        table_->resizeColumnToContents(column); // to its header or its lines, the wider
        wanted.append(table_->columnWidth(column));
        total += wanted.back();
    }
    // Very long lines give up some of their width in proportion, so the last column keeps a third.
    const int room = table_->viewport()->width() * 2 / 3;
    if (total <= room)
        return;
    for (int column = 0; column < last; ++column)
        table_->setColumnWidth(column,
                               static_cast<int>(static_cast<qint64>(wanted.at(column)) * room / total));
}

void ToolWindow::choose(int row)
{
    if (const auto line = places_->place(row); line && !line->shopFile.empty())
        emit placeChosen(*line);
}

PlaceListModel::Source ToolWindow::usesSource(std::shared_ptr<const std::vector<tools::ItemUse>> uses)
{
    PlaceListModel::Source source;
    source.count = uses->size();
    source.text = [uses](std::size_t item, int column) {
        const auto& use = (*uses)[item];
        switch (column) {
        case 0:
            return qs(use.npcName);
        case 1:
            return qs(use.fileName);
        case 2:
            return qs(use.pageName);
        case 3:
            return ordinalText(use.cell.row);
        default:
            return ordinalText(use.cell.column);
        }
    };
    source.place = [uses](std::size_t item) {
        return Place{(*uses)[item].shopFile, (*uses)[item].cell, std::nullopt};
    };
    return source;
}

void ToolWindow::showProgress(const QString& doing, int done, int total)
{
    status_->setText(total > 0 ? QStringLiteral("%1… %2 / %3").arg(doing).arg(done).arg(total)
                               : doing + QStringLiteral("…"));
}

QString ToolWindow::itemName(const QString& id) const
{
    if (id.isEmpty() || !catalogue_.isReady())
        return {};
    return catalogue_.lookup()->nameOf(id);
}

bool ToolWindow::checkItemId(const QString& text, std::string& id)
{
    const auto parsed = tools::parseItemId(u8(text.trimmed()));
    if (!parsed) {
        dialogs_.message(this, QStringLiteral("提示"), qs(tools::notAnItemIdMessage(u8(text.trimmed()))),
                         Dialogs::Icon::Error);
        return false;
    }
    id = *parsed;
    return true;
}

void ToolWindow::showEvent(QShowEvent* event)
{
    if (!placed_) {
        placed_ = true;
        if (!settings::restoreRememberedPosition(this, positionName_))
            placeBesideOwner(this, owner_);
    }
    QWidget::showEvent(event);
}

void ToolWindow::closeEvent(QCloseEvent* event)
{
    // A tool still reading stops at its next shop; nothing is killed.
    job_.cancel();
    event->accept();
}

} // namespace shopkeeper::gui
