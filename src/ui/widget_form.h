#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

#include "config/named_objects.h"

namespace quay {

// A Qt window as the translation sees it: the form named by the window's objectName owning
// every named descendant widget, in creation order. Buttons, labels and group boxes publish
// "Caption", line edits "Text", every widget "Hint" (its tool tip). Built when the window is
// created; the window must outlive the form.
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

}  // namespace quay
