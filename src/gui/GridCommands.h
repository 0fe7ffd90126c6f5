#pragma once

#include "PageGridModel.h"

#include <QUndoCommand>
#include <array>
#include <functional>
#include <vector>

namespace shopkeeper::gui {

// Typing into one cell. Consecutive edits of the same cell merge into one step.
class CellEditCommand : public QUndoCommand
{
public:
    CellEditCommand(PageGridModel* model, int row, int column, QString before, QString after);
    void undo() override;
    void redo() override;
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    PageGridModel* model_;
    int row_;
    int column_;
    QString before_;
    QString after_;
};

// Any change to whole grids (rows added, pages cleared, pastes, output), kept as the grids'
// states before and after.
class GridStateCommand : public QUndoCommand
{
public:
    struct Change
    {
        PageGridModel* model;
        GridState before;
        GridState after;
    };
    GridStateCommand(const QString& text, std::vector<Change> changes);
    void undo() override;
    void redo() override;

private:
    std::vector<Change> changes_;
};

// Runs change on the given grids and, when it changed anything, records it as one undo step.
void recordGridChange(QUndoStack* stack, const QString& text, const std::vector<PageGridModel*>& models,
                      const std::function<void()>& change);

// A change of a value outside the grids (page names, the repair flag), done and undone by apply.
template <typename T> class ValueCommand : public QUndoCommand
{
public:
    ValueCommand(const QString& text, T before, T after, std::function<void(const T&)> apply)
        : QUndoCommand(text), before_(std::move(before)), after_(std::move(after)), apply_(std::move(apply))
    {
    }
    void undo() override { apply_(before_); }
    void redo() override { apply_(after_); }

private:
    T before_;
    T after_;
    std::function<void(const T&)> apply_;
};

} // namespace shopkeeper::gui
