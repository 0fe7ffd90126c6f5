#include "Version.h"
#include "gui/widgets/QtDialogs.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/Translations.h"
#include "gui/windows/MainWindow.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Shopkeeper"));
    QApplication::setApplicationVersion(QStringLiteral(SHOPKEEPER_VERSION));
    shopkeeper::gui::installQtTranslations(app);

    // The workspace is the folder that holds the program, or the folder named on the command line.
    const QStringList arguments = QApplication::arguments();
    const QString folder = arguments.size() > 1 ? arguments.at(1) : QApplication::applicationDirPath();

    shopkeeper::gui::QtDialogs dialogs;
    shopkeeper::gui::MainWindow window(shopkeeper::gui::toPath(QDir(folder).absolutePath()), dialogs);
    window.show();
    return QApplication::exec();
}
