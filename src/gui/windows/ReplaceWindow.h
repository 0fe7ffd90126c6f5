#pragma once

#include "gui/windows/ToolWindow.h"

class QLineEdit;
class QPushButton;

namespace shopkeeper::gui {

class DocumentManager;

// "批量替换物品": one item replaced by another in every NPC shop. The preview lists every cell
// that will change; the apply button plans the replace afresh and writes it. The shop open in
// the main window takes part: unsaved edits are saved or dropped first, and after the replace
// the shop is read again.
class ReplaceWindow : public ToolWindow
{
    Q_OBJECT
public:
    // documents owns the open shop, which the replace writes too.
    ReplaceWindow(ShopSession& session, DocumentManager& documents, CatalogueService& catalogue,
                  Dialogs& dialogs, QWidget* owner);

    void setFrom(const QString& id);
    void preview();
    void apply();
    QLineEdit* fromBox() const { return fromBox_; }
    QLineEdit* toBox() const { return toBox_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool readIds(std::string& from, std::string& to);
    void showPlan(const std::shared_ptr<const tools::ReplacePlan>& plan);
    void showOutcome(const tools::ReplacePlan& plan, const tools::ReplaceOutcome& outcome);
    void showNames();
    void setRunning(bool running);

    DocumentManager& documents_;
    bool writing_ = false;
    QLineEdit* fromBox_ = nullptr;
    QLineEdit* toBox_ = nullptr;
    QLabel* fromName_ = nullptr;
    QLabel* toName_ = nullptr;
    QPushButton* previewButton_ = nullptr;
    QPushButton* applyButton_ = nullptr;
};

} // namespace shopkeeper::gui
