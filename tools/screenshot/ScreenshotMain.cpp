// Opens the editor on a workspace, loads it, chooses an NPC and saves pictures of the window:
//   shopkeeper-screenshot WORKSPACE OUT_DIR [NPC_INDEX]
// writes OUT_DIR/main.png, OUT_DIR/page2.png, OUT_DIR/output.png and OUT_DIR/help.png.
#include "grid/PageGridView.h"
#include "widgets/QtDialogs.h"
#include "widgets/QtText.h"
#include "widgets/Translations.h"
#include "windows/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <iostream>

using namespace shopkeeper::gui;

namespace {

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
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
    if (argc < 3) {
        std::cerr << "usage: shopkeeper-screenshot WORKSPACE OUT_DIR [NPC_INDEX]\n";
        return 1;
    }
    const QString out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);
    QtDialogs dialogs;
    MainWindow window(toPath(QDir(QString::fromLocal8Bit(argv[1])).absolutePath()), dialogs);
    window.setSaveConfirmationDelay(0);
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
    window.findChild<QTabWidget*>(QStringLiteral("选择夹1"))->setCurrentIndex(1);
    wait(200);
    ok = grab(&window, out + "/page2.png") && ok;
    grabNextModal(out + "/help.png");
    window.showHelp();
    grabNextModal(out + "/output.png");
    window.openForOutput();
    std::cout << (ok ? "saved pictures in " : "could not grab the window into ") << out.toStdString() << "\n";
    return ok ? 0 : 1;
}
