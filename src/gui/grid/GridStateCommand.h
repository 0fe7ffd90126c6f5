#pragma once

#include "gui/grid/GridState.h"

#include <QUndoCommand>
#include <functional>
#include <vector>

class QUndoStack;

namespace shopkeeper::gui {

class PageGridModel;

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

    // Runs change on the given grids and, when it changed anything, records it as one step on
    // stack. Without a stack the change simply stays done. True when anything changed.
    static bool record(QUndoStack* stack, const QString& text, const std::vector<PageGridModel*>& models,
                       const std::function<void()>& change);

private:
    std::vector<Change> changes_;
};

} // namespace shopkeeper::gui
