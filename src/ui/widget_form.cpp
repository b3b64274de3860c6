#include "ui/widget_form.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include "ui/qt_text.h"

namespace quay {

namespace {

// The language files write line breaks as CR LF; Qt widgets break at LF.
QString fromFileText(const std::string& value) {
    QString text = qtext(value);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

std::string toFileText(const QString& value) {
    QString text = value;
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return bytes(text);
}

class WidgetObject : public NamedObject {
public:
    explicit WidgetObject(QWidget* widget) : m_widget(widget) {}

    std::string objectName() const override { return bytes(m_widget->objectName()); }

    std::vector<std::string> stringPropertyNames() const override {
        if (caption())
            return {"Caption", "Hint"};
        if (qobject_cast<QLineEdit*>(m_widget))
            return {"Text", "Hint"};
        return {"Hint"};
    }

    std::string stringProperty(const std::string& name) const override {
        if (!m_widget)
            return {};
        if (name == "Hint")
            return toFileText(m_widget->toolTip());
        if (name == "Text")
            if (auto* edit = qobject_cast<QLineEdit*>(m_widget))
                return bytes(edit->text());
        if (name == "Caption" && caption())
            return toFileText(m_widget->property(caption()).toString());
        return {};
    }

    void setStringProperty(const std::string& name, const std::string& value) override {
        if (!m_widget)
            return;
        if (name == "Hint")
            m_widget->setToolTip(fromFileText(value));
        else if (name == "Text") {
            if (auto* edit = qobject_cast<QLineEdit*>(m_widget))
                edit->setText(qtext(value));
        } else if (name == "Caption" && caption())
            m_widget->setProperty(caption(), fromFileText(value));
    }

private:
    // The Qt property that holds the caption, or nullptr when the widget has none.
    const char* caption() const {
        if (qobject_cast<QAbstractButton*>(m_widget) || qobject_cast<QLabel*>(m_widget))
            return "text";
        if (qobject_cast<QGroupBox*>(m_widget))
            return "title";
        return nullptr;
    }

    QPointer<QWidget> m_widget;
};

}  // namespace

WidgetForm::WidgetForm(QWidget& window) : m_window(window) {
    for (QWidget* child : window.findChildren<QWidget*>()) {
        const QString name = child->objectName();
        // Qt names its own inner widgets "qt_..."; they are no controls of the window.
        if (!name.isEmpty() && !name.startsWith(QStringLiteral("qt_")))
            m_objects.push_back(std::make_unique<WidgetObject>(child));
    }
}

WidgetForm::~WidgetForm() = default;

std::string WidgetForm::formName() const {
    return bytes(m_window.objectName());
}

std::vector<NamedObject*> WidgetForm::ownedObjects() {
    std::vector<NamedObject*> objects;
    objects.reserve(m_objects.size());
    for (const auto& object : m_objects)
        objects.push_back(object.get());
    return objects;
}

}  // namespace quay
