#include "session/presentation_form.h"

namespace quay {

namespace {

bool hasCaption(ControlKind kind) {
    switch (kind) {
        case ControlKind::Panel:
        case ControlKind::Button:
        case ControlKind::Label:
        case ControlKind::Menu:
        case ControlKind::MenuItem:
            return true;
        default:
            return false;
    }
}

class ControlObject : public NamedObject {
public:
    ControlObject(PresentationModel& model, const ControlDef& def)
        : m_model(model), m_name(def.name) {
        if (hasCaption(def.kind))
            m_properties.push_back("Caption");
        if (def.kind == ControlKind::Edit)
            m_properties.push_back("Text");
        if (def.kind != ControlKind::PopupMenu)
            m_properties.push_back("Hint");
    }

    std::string objectName() const override { return m_name; }
    std::vector<std::string> stringPropertyNames() const override { return m_properties; }

    std::string stringProperty(const std::string& name) const override {
        const ControlState& state = m_model.control(m_name);
        return name == "Hint" ? state.hint : state.text;
    }

    void setStringProperty(const std::string& name, const std::string& value) override {
        if (name == "Hint")
            m_model.setHint(m_name, value);
        else
            m_model.setText(m_name, value);
    }

private:
    PresentationModel& m_model;
    std::string m_name;
    std::vector<std::string> m_properties;
};

}  // namespace

PresentationForm::PresentationForm(PresentationModel& model,
                                   const std::vector<ControlDef>& controls) {
    for (const ControlDef& def : controls)
        m_objects.push_back(std::make_unique<ControlObject>(model, def));
}

PresentationForm::~PresentationForm() = default;

std::vector<NamedObject*> PresentationForm::ownedObjects() {
    std::vector<NamedObject*> result;
    result.reserve(m_objects.size());
    for (const auto& object : m_objects)
        result.push_back(object.get());
    return result;
}

}  // namespace quay
