#pragma once

#include "gui/widgets/Dialogs.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <optional>

// What the window benchmarks share: boxes that answer themselves, and a watch on the UI thread.
namespace shopkeeper::bench {

// Answers every box without waiting: a benchmark has no one to press the buttons.
class SilentDialogs : public gui::Dialogs
{
public:
    void message(QWidget*, const QString&, const QString&, Icon) override {}
    bool question(QWidget*, const QString&, const QString&, Icon) override { return true; }
    SaveChoice askToSave(QWidget*, const QString&, const QString&) override { return SaveChoice::Discard; }
    std::optional<QString> input(QWidget*, const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    std::optional<QString> chooseFolder(QWidget*, const QString&, const QString&) override
    {
        return std::nullopt;
    }
};

// The longest time the UI thread went without running a 5 ms timer.
class GapWatch
{
public:
    GapWatch()
    {
        QObject::connect(&tick_, &QTimer::timeout, [this] {
            const qint64 now = clock_.elapsed();
            longest_ = std::max(longest_, now - last_);
            last_ = now;
        });
    }
    void start()
    {
        clock_.start();
        tick_.start(5);
    }
    void stop() { tick_.stop(); }
    qint64 elapsed() const { return clock_.elapsed(); }
    qint64 longestGap() const { return longest_; }

private:
    QElapsedTimer clock_;
    QTimer tick_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};

} // namespace shopkeeper::bench
