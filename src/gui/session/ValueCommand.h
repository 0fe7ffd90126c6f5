#pragma once

#include <QUndoCommand>
#include <functional>

namespace shopkeeper::gui {

// A change of a value outside the grids (page names, the repair flag), done and undone by
// apply. Steps of the same mergeId that follow each other merge, and a merged step that ends
// where it began (ticked and unticked again) is no change and leaves the stack.
template <typename T> class ValueCommand : public QUndoCommand
{
public:
    ValueCommand(const QString& text, T before, T after, std::function<void(const T&)> apply,
                 int mergeId = -1)
        : QUndoCommand(text), before_(std::move(before)), after_(std::move(after)), apply_(std::move(apply)),
          mergeId_(mergeId)
    {
    }
    void undo() override { apply_(before_); }
    void redo() override { apply_(after_); }
    int id() const override { return mergeId_; }
    bool mergeWith(const QUndoCommand* other) override
    {
        after_ = static_cast<const ValueCommand*>(other)->after_;
        setObsolete(after_ == before_);
        return true;
    }

private:
    T before_;
    T after_;
    std::function<void(const T&)> apply_;
    int mergeId_;
};

} // namespace shopkeeper::gui
