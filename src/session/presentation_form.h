#pragma once

#include <memory>
#include <string>
#include <vector>

#include "config/named_objects.h"
#include "session/main_window_controls.h"
#include "session/presentation_model.h"

namespace quay {

// The main window as the translation sees it: the form "_Main" owning one object per
// named control of the window, in the window's order, whose string properties read and
// write the presentation model. Buttons, labels, panels, menus and menu entries publish
// "Caption"; edits publish "Text"; every control but a popup menu publishes "Hint".
class PresentationForm : public NamedForm {
public:
    PresentationForm(PresentationModel& model, const std::vector<ControlDef>& controls);
    ~PresentationForm() override;

    std::string formName() const override { return "_Main"; }
    std::vector<NamedObject*> ownedObjects() override;

private:
    std::vector<std::unique_ptr<NamedObject>> m_objects;
};

}  // namespace quay
