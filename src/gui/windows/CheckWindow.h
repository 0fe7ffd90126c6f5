#pragma once

#include "core/tools/WorkspaceCheck.h"
#include "gui/windows/ToolWindow.h"

#include <memory>

class QComboBox;
class QPushButton;

namespace shopkeeper::gui {

// "检查工作目录": every problem of the workspace's NPC shops that should be mended before the
// itemshop folder is packed again, as kind, NPC, shop, place and explanation, filtered by kind.
// A double-click on a line opens its shop, at the cell or on the page the problem names. The
// columns are as wide as their lines need.
class CheckWindow : public ToolWindow
{
    Q_OBJECT
public:
    CheckWindow(ShopSession& session, CatalogueService& catalogue, Dialogs& dialogs, QWidget* owner);

    void check();
    QComboBox* kindFilter() const { return kindBox_; }
    // The caption of a kind in the list and the filter.
    static QString kindCaption(tools::CheckProblem::Kind kind);

private:
    void showProblems();

    QComboBox* kindBox_ = nullptr;
    QPushButton* checkButton_ = nullptr;
    std::shared_ptr<const tools::CheckResult> result_;
};

} // namespace shopkeeper::gui
