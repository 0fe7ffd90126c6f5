#pragma once

#include "TestFiles.h"
#include "generator/WorkspaceGenerator.h"
#include "gui/grid/PageGridModel.h"
#include "gui/grid/PageGridView.h"
#include "gui/widgets/Dialogs.h"
#include "gui/widgets/QtText.h"
#include "gui/windows/MainWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace shopkeeper::test {

// Answers the editor's boxes from a script and remembers what they said.
class ScriptedDialogs : public gui::Dialogs
{
public:
    struct Shown
    {
        QString title;
        QString text;
        Icon icon;
    };

    void message(QWidget*, const QString& title, const QString& text, Icon icon) override
    {
        messages.push_back({title, text, icon});
    }
    bool question(QWidget*, const QString& title, const QString& text, Icon icon) override
    {
        questions.push_back({title, text, icon});
        if (answers.empty())
            return true;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    SaveChoice askToSave(QWidget*, const QString& title, const QString& text) override
    {
        questions.push_back({title, text, Icon::None});
        if (saveChoices.empty())
            return SaveChoice::Discard;
        const auto choice = saveChoices.front();
        saveChoices.pop_front();
        return choice;
    }
    std::optional<QString> input(QWidget*, const QString& title, const QString& prompt,
                                 const QString& initial) override
    {
        inputs.push_back({title, prompt + "|" + initial, Icon::None});
        if (inputAnswers.empty())
            return std::nullopt;
        const bool answered = inputAnswers.front().has_value();
        const QString text = answered ? *inputAnswers.front() : QString();
        inputAnswers.pop_front();
        if (!answered)
            return std::nullopt;
        return text;
    }

    std::optional<QString> chooseFolder(QWidget*, const QString& title, const QString& start) override
    {
        folderDialogs.push_back({title, start, Icon::None});
        if (folderAnswers.empty())
            return std::nullopt;
        const bool answered = folderAnswers.front().has_value();
        const QString folder = answered ? *folderAnswers.front() : QString();
        folderAnswers.pop_front();
        if (!answered)
            return std::nullopt;
        return folder;
    }

    std::vector<Shown> messages;
    std::vector<Shown> questions;
    std::vector<Shown> inputs;
    std::deque<bool> answers;
    std::deque<SaveChoice> saveChoices;
    std::deque<std::optional<QString>> inputAnswers;
    std::vector<Shown> folderDialogs; // the text is the folder it starts in
    std::deque<std::optional<QString>> folderAnswers;
};

template <typename T> T* child(QWidget* window, const char* name)
{
    auto* found = window->findChild<T*>(QString::fromUtf8(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// Runs action, which opens a modal window, and hands that window to inspect once it is up.
// The action may process events before the window comes (a shop is read off the window's
// thread first): the window is looked for until it is there.
inline void withNextModal(const std::function<void(QWidget*)>& inspect, const std::function<void()>& action)
{
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        poll.stop();
        seen = true;
        inspect(modal);
        if (modal->isVisible())
            modal->close();
    });
    poll.start(0);
    action();
    poll.stop();
    EXPECT_TRUE(seen) << "no modal window opened";
}

// Types text into a grid cell the way a user does: the first key opens the cell's editor, the
// rest go to that editor, and Enter ends the edit.
// What a page grid shows: its page and which of its rows are grey.
struct ShownPage
{
    shop::ShopPage page;
    std::vector<bool> grey;
    bool operator==(const ShownPage&) const = default;
};
inline ShownPage shownPage(const gui::PageGridModel& model)
{
    ShownPage shown{model.page(), {}};
    for (int r = 0; r < model.rowCount(); ++r)
        shown.grey.push_back(model.isRowShaded(r));
    return shown;
}

inline void typeInto(QAbstractItemView* view, int row, int column, const QString& text)
{
    view->setFocus();
    view->setCurrentIndex(view->model()->index(row, column));
    QTest::keyClick(view, text.at(0).toLatin1());
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(editor, view) << "typing did not open the cell editor";
    QTest::keyClicks(editor, text.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
    // The delegate commits the edit through a queued call.
    QCoreApplication::processEvents();
}

// A main window over a generated workspace in a temporary folder.
class EditorFixture : public ::testing::Test
{
protected:
    void makeWorkspace(int shops = 12, int npcs = 15, std::uint64_t seed = 4)
    {
        ASSERT_TRUE(generator::generateWorkspace(dir.path(), {.shops = shops, .npcs = npcs, .seed = seed})
                        .has_value());
    }
    gui::MainWindow& window()
    {
        if (!window_) {
            window_ = std::make_unique<gui::MainWindow>(
                dir.path(), dialogs, gui::MainWindow::Backends{.itemTables = std::move(itemTables)});
            window_->setSaveConfirmationDelay(10);
            window_->show();
            window_->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        }
        return *window_;
    }
    bool load()
    {
        QSignalSpy ready(&window(), &gui::MainWindow::npcListReady);
        child<QPushButton>(&window(), "载入按钮")->click();
        return ready.count() > 0 || ready.wait(20000);
    }
    // Saves and waits until the shop has been read again after the save's tick; true when the
    // save wrote the shop.
    bool save()
    {
        QSignalSpy finished(&window().documents(), &gui::DocumentManager::saveFinished);
        window().save();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !finished.isEmpty(); }, 10000));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window().workspaceSession().isSaving(); }, 5000));
        return !finished.isEmpty() && finished.first().first().toBool();
    }
    QComboBox* combo() { return child<QComboBox>(&window(), "NPC组合框"); }
    void choose(int index)
    {
        combo()->setCurrentIndex(index);
        emit combo()->activated(index);
    }

    TempDir dir;
    ScriptedDialogs dialogs;
    // The item tables of the window window() makes; the core's when null.
    std::unique_ptr<gui::ItemTableSource> itemTables;
    std::unique_ptr<gui::MainWindow> window_;
};

} // namespace shopkeeper::test
