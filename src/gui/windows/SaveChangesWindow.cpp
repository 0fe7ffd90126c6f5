#include "gui/windows/SaveChangesWindow.h"

#include "core/shop/ShopReader.h"
#include "core/shop/ShopWriter.h"
#include "gui/catalogue/CatalogueService.h"
#include "gui/session/ShopSession.h"
#include "gui/widgets/QtText.h"
#include "gui/windows/ChangeLines.h"
#include "ui_SaveChangesWindow.h"

#include <QLabel>
#include <QPushButton>

namespace shopkeeper::gui {

SaveChangesWindow::SaveChangesWindow(ShopSession& session, CatalogueService& catalogue, Dialogs& dialogs,
                                     QWidget* owner)
    : ToolWindow(session, catalogue, dialogs, owner, QStringLiteral("save-changes"))
{
    Ui::SaveChangesWindow ui;
    ui.setupUi(this);
    setUpFrame(QStringLiteral("查看改动"), {QStringLiteral("关闭按钮V"), width() - 28},
               Picture{QStringLiteral("最小化按钮V"), width() - 58});
    refreshButton_ = ui.刷新按钮;
    setUpResults(ui.结果表格, ui.状态标签,
                 ChangeLines::headers(false, QStringLiteral("保存前"), QStringLiteral("保存后")), {150, 220});
    connect(refreshButton_, &QPushButton::clicked, this, &SaveChangesWindow::refresh);

    edits_.setSingleShot(true);
    edits_.setInterval(150);
    connect(&edits_, &QTimer::timeout, this, &SaveChangesWindow::refresh);
    connect(&session_, &ShopSession::modifiedChanged, &edits_, qOverload<>(&QTimer::start));
    connect(&session_, &ShopSession::pageNamesChanged, &edits_, qOverload<>(&QTimer::start));
    connect(&session_, &ShopSession::bindingChanged, &edits_, qOverload<>(&QTimer::start));
    connect(&session_, &ShopSession::documentChanged, &edits_, qOverload<>(&QTimer::start));
    connect(&session_, &ShopSession::repairableChanged, &edits_, qOverload<>(&QTimer::start));
    connect(&catalogue_, &CatalogueService::ready, table(), [this] { table()->viewport()->update(); });
    catalogue_.prepare();
}

SaveChangesWindow::~SaveChangesWindow()
{
    runner_.stop();
}

void SaveChangesWindow::refresh()
{
    edits_.stop();
    if (!session_.isBound() || !session_.isModified()) {
        runner_.cancel();
        show(std::unexpected(QStringLiteral("没有未保存的修改。")));
        return;
    }
    // A copy of the shop as it is now, taken as the save takes it; the session's own stays as it is.
    auto document = session_.document();
    (void)document.tidy();
    statusLabel()->setText(QStringLiteral("正在计算…"));
    runner_.run<Planned>(
        [document = std::move(document),
         table = session_.workspace().shopStringTablePath()](const JobRun::Ticket&) -> Planned {
            // What the save replaces: the shop as it is on disk now.
            const auto asRead = shop::ShopReader::open(document.path(), table);
            if (!asRead)
                return std::unexpected(qs(asRead.error().message));
            // A file another program changed is shown as the save would overwrite it, which the
            // save asks about first.
            const bool changedOnDisk =
                !asRead->source().fingerprint.sameContentAs(document.source().fingerprint);
            shop::SaveOptions options;
            options.overwriteChanged = true;
            shop::ShopWriter writer;
            auto change = writer.dryRun(document, *asRead, table, options);
            if (!change)
                return std::unexpected(QStringLiteral("保存不会成功：") + qs(change.error().message));
            return Change{std::move(*change), changedOnDisk};
        },
        [this](Planned planned) { show(std::move(planned)); });
}

void SaveChangesWindow::show(Planned planned)
{
    if (!planned) {
        places()->clear();
        statusLabel()->setText(planned.error());
        emit shown();
        return;
    }
    auto shops = std::make_shared<std::vector<ShopChangeLines>>();
    // No place to go to: the lines are of the open shop, which a double-click would ask about.
    shops->push_back({{}, fromPath(session_.path().filename()), std::move(planned->change), {}});
    const QString counts = ChangeLines::counts(shops->front().change);
    statusLabel()->setText((counts.isEmpty() ? QStringLiteral("保存不会改动文件中的任何数据。")
                                             : QStringLiteral("保存将改动：") + counts) +
                           (planned->changedOnDisk
                                ? QStringLiteral("（文件已被其他程序修改，保存时会先询问是否覆盖）")
                                : QString()));
    places()->setSource(
        ChangeLines::source(shops, false, [this](const QString& id) { return itemName(id); }));
    emit shown();
}

} // namespace shopkeeper::gui
