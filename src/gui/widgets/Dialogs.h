#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace shopkeeper::gui {

// Every message box, question and input box of the editor goes through this interface, so
// tests can answer them without a modal window ever waiting.
class Dialogs
{
public:
    enum class Icon
    {
        None,
        Information,
        Question,
        Warning,
        Error
    };
    // The answers to "save the changes first?".
    enum class SaveChoice
    {
        Save,
        Discard,
        Cancel
    };

    virtual ~Dialogs() = default;
    // A message with one OK button.
    virtual void message(QWidget* parent, const QString& title, const QString& text, Icon icon) = 0;
    // Yes and No; true for Yes.
    virtual bool question(QWidget* parent, const QString& title, const QString& text, Icon icon) = 0;
    // Save, Discard and Cancel, for unsaved changes.
    virtual SaveChoice askToSave(QWidget* parent, const QString& title, const QString& text) = 0;
    // OK and Cancel; nothing on Cancel.
    virtual std::optional<QString> input(QWidget* parent, const QString& title, const QString& prompt,
                                         const QString& initial) = 0;
    // A folder the user picks, starting in start; nothing on Cancel.
    virtual std::optional<QString> chooseFolder(QWidget* parent, const QString& title,
                                                const QString& start) = 0;
};

} // namespace shopkeeper::gui
