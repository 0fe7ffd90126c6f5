#include "gui/grid/GridStateCommand.h"

#include "gui/grid/PageGridModel.h"

#include <QUndoStack>

namespace shopkeeper::gui {

GridStateCommand::GridStateCommand(const QString& text, std::vector<Change> changes)
    : QUndoCommand(text), changes_(std::move(changes))
{
}

void GridStateCommand::undo()
{
    for (auto& change : changes_)
        change.model->setState(change.before);
}

void GridStateCommand::redo()
{
    for (auto& change : changes_)
        change.model->setState(change.after);
}

bool GridStateCommand::record(QUndoStack* stack, const QString& text,
                              const std::vector<PageGridModel*>& models, const std::function<void()>& change)
{
    std::vector<GridState> before;
    before.reserve(models.size());
    for (auto* model : models)
        before.push_back(model->state());
    change();
    std::vector<Change> changes;
    for (std::size_t i = 0; i < models.size(); ++i) {
        if (!(models[i]->state() == before[i]))
            changes.push_back({models[i], before[i], models[i]->state()});
    }
    if (changes.empty())
        return false;
    // The change is done already; pushing runs redo() once more, which sets the same states.
    if (stack)
        stack->push(new GridStateCommand(text, std::move(changes)));
    return true;
}

} // namespace shopkeeper::gui
