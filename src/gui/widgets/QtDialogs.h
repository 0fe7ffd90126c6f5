#pragma once

#include "gui/widgets/Dialogs.h"

namespace shopkeeper::gui {

// The real boxes, in the language of the installed Qt translations.
class QtDialogs : public Dialogs
{
public:
    void message(QWidget* parent, const QString& title, const QString& text, Icon icon) override;
    bool question(QWidget* parent, const QString& title, const QString& text, Icon icon) override;
    SaveChoice askToSave(QWidget* parent, const QString& title, const QString& text) override;
    std::optional<QString> input(QWidget* parent, const QString& title, const QString& prompt,
                                 const QString& initial) override;
    std::optional<QString> chooseFolder(QWidget* parent, const QString& title, const QString& start) override;
};

} // namespace shopkeeper::gui
