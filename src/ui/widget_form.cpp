#include "ui/widget_form.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>

#include "ui/qt_text.h"

namespace quay {

namespace {

// Qt breaks lines with LF; the translation works with CR LF.
std::string toForm(const QString& text) {
    return bytes(QString(text).replace(QStringLiteral("\n"), QStringLiteral("\r\n")));
}

QString fromForm(const std::string& text) {
    return qtext(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

class WidgetObject : public NamedObject {
public:
    explicit WidgetObject(QObject& object) : m_object(&object) {}

    std::string objectName() const override { return bytes(m_object->objectName()); }

    std::vector<std::string> stringPropertyNames() const override {
        if (hasCaption())
            return {"Caption", "Hint"};
        return {"Hint"};
    }

    std::string stringProperty(const std::string& name) const override {
        if (!m_object)
            return {};
        if (name == "Hint")
            return toForm(m_object->property("toolTip").toString());
        if (auto* button = qobject_cast<QAbstractButton*>(m_object))
            return toForm(button->text());
        if (auto* label = qobject_cast<QLabel*>(m_object))
            return toForm(label->text());
        if (auto* box = qobject_cast<QGroupBox*>(m_object))
            return toForm(box->title());
        if (auto* action = qobject_cast<QAction*>(m_object))
            return toForm(action->text());
        return {};
    }

    void setStringProperty(const std::string& name, const std::string& value) override {
        if (!m_object)
            return;
        const QString text = fromForm(value);
        if (name == "Hint")
            m_object->setProperty("toolTip", text);
        else if (auto* button = qobject_cast<QAbstractButton*>(m_object))
            button->setText(text);
        else if (auto* label = qobject_cast<QLabel*>(m_object))
            label->setText(text);
        else if (auto* box = qobject_cast<QGroupBox*>(m_object))
            box->setTitle(text);
        else if (auto* action = qobject_cast<QAction*>(m_object))
            action->setText(text);
    }

private:
    bool hasCaption() const {
        return qobject_cast<QAbstractButton*>(m_object) || qobject_cast<QLabel*>(m_object) ||
               qobject_cast<QGroupBox*>(m_object) || qobject_cast<QAction*>(m_object);
    }

    QPointer<QObject> m_object;
};

}  // namespace

WidgetForm::WidgetForm(QWidget& window) : m_window(window) {
    for (QObject* object : window.findChildren<QObject*>())
        // Qt's own helper objects ("qt_...", "_q_...") are no controls of the dialog.
        if (!object->objectName().isEmpty() &&
            !object->objectName().startsWith(QLatin1String("qt_")) &&
            !object->objectName().startsWith(QLatin1String("_q_")) &&
            (object->isWidgetType() || qobject_cast<QAction*>(object) != nullptr))
            m_objects.push_back(std::make_unique<WidgetObject>(*object));
}

WidgetForm::~WidgetForm() = default;

std::string WidgetForm::formName() const {
    return bytes(m_window.objectName());
}

std::vector<NamedObject*> WidgetForm::ownedObjects() {
    std::vector<NamedObject*> result;
    result.reserve(m_objects.size());
    for (const auto& object : m_objects)
        result.push_back(object.get());
    return result;
}

void nameUnnamedTexts(QWidget& window) {
    int labels = 0;
    int groups = 0;
    for (QWidget* child : window.findChildren<QWidget*>()) {
        if (!child->objectName().isEmpty())
            continue;
        if (qobject_cast<QLabel*>(child))
            child->setObjectName(QStringLiteral("Label%1").arg(++labels));
        else if (qobject_cast<QGroupBox*>(child))
            child->setObjectName(QStringLiteral("GroupBox%1").arg(++groups));
    }
}

}  // namespace quay
