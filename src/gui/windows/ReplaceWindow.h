#pragma once

#include "gui/windows/ToolWindow.h"

#include <functional>

class QLineEdit;
class QPushButton;

namespace shopkeeper::gui {

// "批量替换物品": one item replaced by another in every NPC shop. The preview lists every cell
// that will change; the apply button plans the replace afresh and writes it. The shop open in
// the main window takes part: unsaved edits are saved or dropped first, and after the replace
// the shop is read again.
class ReplaceWindow : public ToolWindow
{
    Q_OBJECT
public:
    // What the window needs of the main window's open shop.
    struct OpenShop
    {
        // Saves the open shop at once, the re-read included; false when it was not saved.
        std::function<bool()> save;
        // While true the editor may not edit, save or load: the replace is writing shops.
        std::function<void(bool)> setWriting;
        // Reads the open shop again from its file.
        std::function<void()> reread;
    };

    ReplaceWindow(ShopSession& session, CatalogueService& catalogue, Dialogs& dialogs, OpenShop openShop,
                  QWidget* owner);

    void setFrom(const QString& id);
    void preview();
    void apply();
    QLineEdit* fromBox() const { return fromBox_; }
    QLineEdit* toBox() const { return toBox_; }
    QPushButton* applyButton() const { return applyButton_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool readIds(std::string& from, std::string& to);
    void showPlan(const std::shared_ptr<const tools::ReplacePlan>& plan);
    void showOutcome(const tools::ReplacePlan& plan, const tools::ReplaceOutcome& outcome);
    void showNames();
    void setRunning(bool running);

    OpenShop openShop_;
    bool writing_ = false;
    QLineEdit* fromBox_ = nullptr;
    QLineEdit* toBox_ = nullptr;
    QLabel* fromName_ = nullptr;
    QLabel* toName_ = nullptr;
    QPushButton* previewButton_ = nullptr;
    QPushButton* applyButton_ = nullptr;
};

} // namespace shopkeeper::gui
