#include "gui/widgets/QtDialogs.h"

#include "GuiTestSupport.h"
#include "gui/widgets/Translations.h"

#include <QMessageBox>
#include <QPushButton>

using namespace shopkeeper;

namespace {

// Presses the button of the next message box whose text is caption, and tells every button seen.
QStringList pressWhenShown(const QString& caption)
{
    static QStringList seen;
    seen.clear();
    QTimer::singleShot(0, [caption] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        for (auto* button : box->buttons()) {
            seen << button->text();
            if (button->text() == caption)
                button->click();
        }
    });
    return seen;
}

} // namespace

TEST(QtDialogs, BoxesSpeakTheWindowsLanguageAndOfferSaveDiscardCancel)
{
    ASSERT_TRUE(gui::installQtTranslations(*QCoreApplication::instance()))
        << "Qt's Chinese translations (qt6-translations-l10n) are not installed";
    gui::QtDialogs dialogs;
    QStringList buttons;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (auto* button : box->buttons())
            buttons << button->text();
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_TRUE(dialogs.question(nullptr, "提示", "确定要清空本页的数据吗？", gui::Dialogs::Icon::None));
    EXPECT_TRUE(buttons.join("|").contains("是")) << buttons.join("|").toStdString();
    EXPECT_TRUE(buttons.join("|").contains("否")) << buttons.join("|").toStdString();

    for (const auto& [caption, choice] : {std::pair{QString("保存"), gui::Dialogs::SaveChoice::Save},
                                          std::pair{QString("放弃"), gui::Dialogs::SaveChoice::Discard},
                                          std::pair{QString("取消"), gui::Dialogs::SaveChoice::Cancel}}) {
        pressWhenShown(caption);
        EXPECT_EQ(dialogs.askToSave(nullptr, "提示", "当前商店尚未保存，是否先保存修改？"), choice)
            << caption.toStdString();
    }
}
