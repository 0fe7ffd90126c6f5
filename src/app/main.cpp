#include "Version.h"
#include "gui/settings/Settings.h"
#include "gui/widgets/QtDialogs.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/Translations.h"
#include "gui/windows/MainWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTimer>
#include <cstring>

namespace {

void describeOptions(QCommandLineParser& parser)
{
    QCoreApplication::setApplicationName(QStringLiteral("shopkeeper"));
    QCoreApplication::setApplicationVersion(QStringLiteral(SHOPKEEPER_VERSION));
    parser.setApplicationDescription(
        QStringLiteral("Editor for the NPC shops of a game's server-side script data."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("workspace"),
        QStringLiteral(
            "The workspace folder (default: the one used last, else the folder that holds the program)."),
        QStringLiteral("[workspace]"));
}

// True when the command line asks only for text (help or version): that is answered without a
// display, so it works in a terminal with no window system.
bool asksForText(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"-h", "--help", "-?", "--help-all", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (asksForText(argc, argv)) {
        QCoreApplication app(argc, argv);
        QCommandLineParser parser;
        describeOptions(parser);
        parser.process(app); // prints the text and exits
        return 0;
    }

    QApplication app(argc, argv);
    QCommandLineParser parser;
    describeOptions(parser);
    parser.process(app);
    QApplication::setOrganizationName(QStringLiteral("Shopkeeper"));
    QApplication::setApplicationName(QStringLiteral("Shopkeeper"));
    shopkeeper::gui::installQtTranslations(app);

    // The workspace is the folder named on the command line, else the one used last, else the
    // folder that holds the program.
    const QStringList arguments = parser.positionalArguments();
    const QString programFolder = QApplication::applicationDirPath();
    const QString folder =
        !arguments.isEmpty() ? arguments.at(0) : shopkeeper::gui::settings::startWorkspace(programFolder);

    shopkeeper::gui::QtDialogs dialogs;
    shopkeeper::gui::MainWindow window(shopkeeper::gui::toPath(QDir(folder).absolutePath()), dialogs);
    window.show();
    // An installed program's folder is no workspace: with none named or used before, the user
    // picks one at once.
    if (shopkeeper::gui::settings::asksForWorkspaceAtStart(!arguments.isEmpty(), programFolder))
        QTimer::singleShot(0, &window, [&window] { window.chooseWorkspace(); });
    return QApplication::exec();
}
