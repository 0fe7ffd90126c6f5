#include "gui/session/PageEditCommand.h"

#include "gui/session/ShopSession.h"

namespace shopkeeper::gui {

PageEditCommand::PageEditCommand(ShopSession& session, const QString& text, std::vector<int> pages,
                                 Change change)
    : QUndoCommand(text), session_(session), pages_(std::move(pages)), change_(std::move(change))
{
}

void PageEditCommand::redo()
{
    if (done_) {
        session_.restorePages(after_);
        return;
    }
    done_ = true;
    for (const int page : pages_)
        before_.emplace_back(page, session_.document().snapshot(page));
    bool changed = false;
    session_.change([&](shop::ShopDocument& document) {
        auto changes = change_(document);
        changed = !changes.empty();
        return changes;
    });
    for (const int page : pages_)
        after_.emplace_back(page, session_.document().snapshot(page));
    setObsolete(!changed);
}

void PageEditCommand::undo()
{
    session_.restorePages(before_);
}

CellEditCommand::CellEditCommand(ShopSession& session, int page, shop::CellPosition at, std::string before,
                                 std::string after)
    : QUndoCommand(QStringLiteral("编辑格子")), session_(session), page_(page), at_(at),
      before_(std::move(before)), after_(std::move(after))
{
}

void CellEditCommand::undo()
{
    session_.restoreCell(page_, at_, before_);
}

void CellEditCommand::redo()
{
    session_.restoreCell(page_, at_, after_);
}

bool CellEditCommand::mergeWith(const QUndoCommand* other)
{
    const auto* edit = static_cast<const CellEditCommand*>(other);
    if (edit->page_ != page_ || !(edit->at_ == at_))
        return false;
    after_ = edit->after_;
    setObsolete(after_ == before_);
    return true;
}

} // namespace shopkeeper::gui
