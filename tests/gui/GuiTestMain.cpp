// GoogleTest over a real QApplication; the windows draw offscreen. The settings go to an ini
// file in a temporary folder, never to the user's, and each test starts without any; so does the
// history of saves (TestFiles.h).
#include "TestFiles.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class FreshSettings : public ::testing::EmptyTestEventListener
{
    void OnTestStart(const ::testing::TestInfo&) override { QSettings().clear(); }
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    // Whatever the test includes, its saves keep their history in a temporary folder.
    if (!shopkeeper::test::kPrivateDataHome)
        return 1;
    QApplication app(argc, argv);
    QTemporaryDir settingsFolder;
    QCoreApplication::setOrganizationName(QStringLiteral("shopkeeper-tests"));
    QCoreApplication::setApplicationName(QStringLiteral("gui-tests"));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshSettings);
    return RUN_ALL_TESTS();
}
