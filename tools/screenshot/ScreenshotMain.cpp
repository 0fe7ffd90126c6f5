// Opens the editor on a workspace, loads it, chooses an NPC and saves pictures of the window:
//   shopkeeper-screenshot WORKSPACE OUT_DIR [NPC_INDEX]
// writes main.png, page2.png, help.png, output.png, preview.png and search.png into OUT_DIR,
// desktop.png: the whole screen with the main window centred on it and the preview beside it,
// beside.png: the main window and the preview together, and chooser.png: the main window with the
// workspace menu open. The settings (recent workspaces, window positions) are the tool's own, in a
// temporary folder: the user's are neither read nor changed.
// capture.png: the main window after an F12 that the helper could not serve, its reason in the
// status line. Then the three workspace tools filled with results: whereused.png, replace.png,
// check.png, and tools.png: the screen with the three open at once. Last the windows that show
// changes: changes.png (what a save of two edits would write), history.png (after two saves) and
// compare.png (against an edited copy of the workspace). The saves' history goes to a temporary
// folder too.
#include "core/capture/CaptureResult.h"
#include "core/io/AtomicFile.h"
#include "core/shop/ShopReader.h"
#include "core/shop/ShopWriter.h"
#include "core/workspace/Workspace.h"
#include "gui/grid/PageGridView.h"
#include "gui/settings/Settings.h"
#include "gui/widgets/QtDialogs.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/StatusLine.h"
#include "gui/widgets/Translations.h"
#include "gui/widgets/WindowPlacement.h"
#include "gui/widgets/WorkspaceChooser.h"
#include "gui/windows/CheckWindow.h"
#include "gui/windows/CompareWindow.h"
#include "gui/windows/HistoryWindow.h"
#include "gui/windows/MainWindow.h"
#include "gui/windows/ReplaceWindow.h"
#include "gui/windows/SaveChangesWindow.h"
#include "gui/windows/WhereUsedWindow.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <filesystem>
#include <iostream>

using namespace shopkeeper::gui;

namespace {

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The part of the screen that the given windows cover.
bool grabArea(const QList<QWidget*>& windows, const QString& path)
{
    QRect area;
    for (const QWidget* window : windows)
        area = area.united(window->frameGeometry());
    QScreen* screen = windows.front()->screen();
    area = area.intersected(screen->geometry());
    const QPixmap shot = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    return !shot.isNull() && shot.save(path);
}

bool grab(QWidget* window, const QString& path)
{
    const QPixmap shot = window->screen()->grabWindow(window->winId());
    return !shot.isNull() && shot.save(path);
}

// Takes a picture of whatever modal window opens next, then closes it.
void grabNextModal(const QString& path)
{
    QTimer::singleShot(400, [path] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            grab(modal, path);
            modal->close();
        }
    });
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    installQtTranslations(app);
    QTemporaryDir settingsFolder;
    QCoreApplication::setOrganizationName(QStringLiteral("shopkeeper-screenshot"));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
    QTemporaryDir dataFolder;
    qputenv("XDG_DATA_HOME", dataFolder.path().toLocal8Bit());
    qputenv("LOCALAPPDATA", dataFolder.path().toLocal8Bit());
    if (argc < 3) {
        std::cerr << "usage: shopkeeper-screenshot WORKSPACE OUT_DIR [NPC_INDEX]\n";
        return 1;
    }
    const QString out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);
    QtDialogs dialogs;
    MainWindow window(toPath(QDir(QString::fromLocal8Bit(argv[1])).absolutePath()), dialogs);
    window.setSaveConfirmationDelay(0);
    // Centred on the screen, as a window manager places a new window: the preview must still
    // open fully on the screen beside it.
    window.move(window.screen()->availableGeometry().center() - window.rect().center());
    window.show();
    wait(300);

    bool listed = false;
    QObject::connect(&window, &MainWindow::npcListReady, [&] { listed = true; });
    window.loadWorkspace();
    for (int i = 0; i < 200 && !listed; ++i)
        wait(50);
    window.onNpcSelected(argc > 3 ? std::atoi(argv[3]) : 1);
    wait(300);
    window.grid(0)->setCurrentIndex(window.grid(0)->model()->index(1, 2));
    wait(200);
    bool ok = grab(&window, out + "/main.png");
    {
        // What the capture shows when the helper lacks its right (no game runs here to try it).
        const shopkeeper::capture::CaptureResult refused{
            shopkeeper::capture::CaptureResult::Outcome::ReadRefused, std::nullopt,
            shopkeeper::capture::CaptureResult::Reason::HelperLacksRight, "/usr/local/bin/shopkeeper-probe"};
        auto* status = window.findChild<StatusLine*>(QStringLiteral("状态栏"));
        auto* idBox = window.findChild<QLineEdit*>(QStringLiteral("ID框"));
        status->showMessage(qs(refused.problemText()), StatusLine::Tone::Problem);
        idBox->setText(qs(refused.idText()));
        wait(200);
        ok = grab(&window, out + "/capture.png") && ok;
        status->clearMessage();
        idBox->clear();
    }
    window.findChild<QTabWidget*>(QStringLiteral("选择夹1"))->setCurrentIndex(1);
    wait(200);
    ok = grab(&window, out + "/page2.png") && ok;
    grabNextModal(out + "/help.png");
    window.showHelp();
    grabNextModal(out + "/output.png");
    window.openForOutput();

    // The preview, filled, and the search window with results.
    window.findChild<QTabWidget*>(QStringLiteral("选择夹1"))->setCurrentIndex(0);
    window.findChild<QPushButton*>(QStringLiteral("预览按钮"))->click();
    auto* preview = window.previewWindow();
    bool refreshed = false;
    QObject::connect(preview, &PreviewWindow::refreshed, [&] { refreshed = true; });
    preview->findChild<QPushButton*>(QStringLiteral("刷新按钮"))->click();
    for (int i = 0; i < 200 && !refreshed; ++i)
        wait(50);
    wait(300);
    ok = grab(preview, out + "/preview.png") && ok;
    ok = window.screen()->grabWindow(0).save(out + "/desktop.png") && ok;
    // The pair side by side, for the README: the main window at the screen's left, the preview
    // placed beside it again.
    const QRect screenArea = window.screen()->availableGeometry();
    window.move(screenArea.topLeft() + QPoint(10, 10));
    placeBesideOwner(preview, &window);
    wait(300);
    ok = grabArea({&window, preview}, out + "/beside.png") && ok;

    // The workspace menu of the title strip, with a few recent workspaces.
    for (const char* recent : {"/srv/game/data-2024", "/home/admin/shops/test"})
        settings::rememberWorkspace(QString::fromUtf8(recent));
    settings::rememberWorkspace(fromPath(window.workspacePath()));
    auto* chooser = window.findChild<WorkspaceChooser*>(QStringLiteral("工作目录按钮"));
    chooser->click();
    wait(300);
    ok = grabArea({&window, chooser->workspaceMenu()}, out + "/chooser.png") && ok;
    chooser->workspaceMenu()->hide();
    window.findChild<QPushButton*>(QStringLiteral("搜索按钮"))->click();
    auto* search = window.searchWindow();
    search->move(window.pos() + QPoint(40, 60));
    search->findChild<QLineEdit*>(QStringLiteral("搜索编辑框"))->setText(QStringLiteral("药水"));
    bool found = false;
    QObject::connect(search, &SearchWindow::searchFinished, [&] { found = true; });
    // The 100-hit question, if it comes, is answered No: the search goes on to the end.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto* box = QApplication::activeModalWidget())
            box->close();
    });
    answer.start(200);
    search->search();
    for (int i = 0; i < 200 && !found; ++i)
        wait(50);
    if (search->results()->count() > 3)
        search->results()->setCurrentRow(2);
    wait(300);
    ok = grab(search, out + "/search.png") && ok;
    search->close();

    // The tools, each over the first item of the open shop; the replace puts the next one there.
    QStringList items;
    for (int row = 0; row < window.grid(0)->model()->rowCount() && items.size() < 2; ++row) {
        for (int column = 0; column < 7 && items.size() < 2; ++column) {
            const QString text = window.grid(0)->model()->index(row, column).data().toString();
            if (!text.isEmpty() && text != QStringLiteral("-1"))
                items << text;
        }
    }
    const QString id = items.value(0);
    const auto finish = [](ToolWindow* tool) {
        for (int i = 0; i < 400 && tool->isBusy(); ++i)
            wait(50);
        wait(300);
    };
    window.showWhereUsed(id);
    auto* whereUsed = window.whereUsedWindow();
    finish(whereUsed);
    whereUsed->table()->selectRow(0);
    ok = grab(whereUsed, out + "/whereused.png") && ok;
    window.showReplace(id);
    auto* replace = window.replaceWindow();
    replace->toBox()->setText(items.value(1));
    replace->preview();
    finish(replace);
    ok = grab(replace, out + "/replace.png") && ok;
    window.showCheck();
    auto* check = window.checkWindow();
    finish(check);
    check->table()->selectRow(1);
    ok = grab(check, out + "/check.png") && ok;
    ok = window.screen()->grabWindow(0).save(out + "/tools.png") && ok;
    for (ToolWindow* tool : std::initializer_list<ToolWindow*>{whereUsed, replace, check})
        tool->close();

    // What a save would write: two cells and the repair flag changed.
    auto& session = window.session();
    const auto waitSaved = [&] {
        for (int i = 0; i < 200 && window.workspaceSession().isSaving(); ++i)
            wait(50);
        wait(200);
    };
    session.editCell(0, {0, 1}, items.value(0));
    session.editCell(0, {1, 3}, items.value(1));
    session.setRepairable(!session.isRepairable());
    window.showSaveChanges();
    auto* changes = window.saveChangesWindow();
    for (int i = 0; i < 200 && changes->isWorking(); ++i)
        wait(50);
    wait(300);
    ok = grab(changes, out + "/changes.png") && ok;
    changes->close();

    // Two saves, then the history with the change of the newer one.
    window.save();
    waitSaved();
    session.editCell(0, {0, 2}, items.value(0));
    window.save();
    waitSaved();
    window.showHistory();
    auto* history = window.historyWindow();
    for (int i = 0; i < 200 && history->isWorking(); ++i)
        wait(50);
    wait(300);
    ok = grab(history, out + "/history.png") && ok;
    history->close();

    // An edited copy of the workspace: cells of a few shops changed, one shop left out.
    QTemporaryDir otherFolder;
    const auto other = toPath(otherFolder.path()) / "workspace";
    std::filesystem::copy(window.workspacePath(), other, std::filesystem::copy_options::recursive);
    const shopkeeper::workspace::Workspace copy(other);
    std::vector<std::filesystem::path> shops;
    for (const auto& entry : std::filesystem::directory_iterator(copy.shopFolder()))
        if (entry.path().extension() == ".shp")
            shops.push_back(entry.path());
    std::sort(shops.begin(), shops.end());
    shopkeeper::io::AtomicFileWriter writer;
    for (std::size_t k = 0; k < shops.size() && k < 4; ++k) {
        auto shop = shopkeeper::shop::ShopReader::open(shops[k], copy.shopStringTablePath());
        if (!shop || shop->page(0).rowCount() == 0)
            continue;
        for (int column = 0; column < 7; column += 3)
            shop->restoreCell(0, {0, column}, items.value(column % 2).toStdString());
        (void)shopkeeper::shop::ShopWriter().save(*shop, copy.shopStringTablePath(), writer);
    }
    if (shops.size() > 5)
        std::filesystem::remove(shops[5]);
    window.showCompare(); // the folder dialog is closed by the answering timer above
    auto* compare = window.compareWindow();
    compare->compareWith(other);
    finish(compare);
    compare->shopTable()->selectRow(0);
    wait(300);
    ok = grab(compare, out + "/compare.png") && ok;
    std::cout << (ok ? "saved pictures in " : "could not grab the window into ") << out.toStdString() << "\n";
    return ok ? 0 : 1;
}
