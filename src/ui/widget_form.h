#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "config/named_objects.h"

namespace quay {

// A Qt dialog as the translation sees it: the form named after the dialog's objectName,
// owning every named widget and action inside it, in the order findChildren() gives.
// Buttons, check boxes, radio buttons, labels and group boxes publish "Caption"; every
// widget publishes "Hint" (its tool tip). A combo box or tree whose items the dialog fills
// with fixed texts publishes "Items" (one line per item, a tree's in pre-order), and a widget
// whose accessible name is a fixed text publishes "Name", once marked so below. Edits publish no
// "Text": when a dialog is translated they already hold the user's data, which a language file must
// neither replace nor carry into the template.
//
// The object list is taken at construction; the dialog must outlive the form.
class WidgetForm : public NamedForm {
public:
    explicit WidgetForm(QWidget& window);
    ~WidgetForm() override;

    std::string formName() const override;
    std::vector<NamedObject*> ownedObjects() override;

private:
    QWidget& m_window;
    std::vector<std::unique_ptr<NamedObject>> m_objects;
};

// Marks a combo box or tree whose items are fixed texts of the dialog (never the user's
// data) as translated through "Items".
void translateItems(QWidget& list);

// Marks a widget whose accessible name is a fixed text of the dialog (not taken from a label
// or from the user's data) as translated through "Name".
void translateAccessibleName(QWidget& widget);

// Gives every label and group box of window that has no name one, as a form designer does:
// "Label1", "Label2", ... and "GroupBox1", ... in findChildren() order, so that language
// files can reach their texts. Run once, after the dialog is built.
void nameUnnamedTexts(QWidget& window);

}  // namespace quay
