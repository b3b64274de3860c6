#include "ui/widget_form.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

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

constexpr const char* kItemsMark = "quayTranslatedItems";
constexpr const char* kNameMark = "quayTranslatedName";

// The items of a combo box, or of a tree in pre-order (first column).
QStringList itemsOf(QObject& object) {
    QStringList items;
    if (auto* combo = qobject_cast<QComboBox*>(&object))
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
    if (auto* tree = qobject_cast<QTreeWidget*>(&object))
        for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it)
            items << (*it)->text(0);
    return items;
}

// Sets the items that lines names; items beyond the lines keep their text.
void setItems(QObject& object, const QStringList& lines) {
    int i = 0;
    if (auto* combo = qobject_cast<QComboBox*>(&object))
        for (; i < combo->count() && i < lines.size(); ++i)
            combo->setItemText(i, lines[i]);
    if (auto* tree = qobject_cast<QTreeWidget*>(&object))
        for (QTreeWidgetItemIterator it(tree); *it != nullptr && i < lines.size(); ++it)
            (*it)->setText(0, lines[i++]);
}

class WidgetObject : public NamedObject {
public:
    explicit WidgetObject(QObject& object) : m_object(&object) {}

    std::string objectName() const override { return bytes(m_object->objectName()); }

    std::vector<std::string> stringPropertyNames() const override {
        std::vector<std::string> names;
        if (hasCaption())
            names.push_back("Caption");
        names.push_back("Hint");
        if (m_object && m_object->property(kItemsMark).toBool())
            names.push_back("Items");
        if (m_object && m_object->property(kNameMark).toBool())
            names.push_back("Name");
        return names;
    }

    std::string stringProperty(const std::string& name) const override {
        if (!m_object)
            return {};
        if (name == "Hint")
            return toForm(m_object->property("toolTip").toString());
        if (name == "Items")
            return toForm(itemsOf(*m_object).join(QLatin1Char('\n')));
        if (name == "Name")
            return toForm(m_object->property("accessibleName").toString());
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
        else if (name == "Items")
            setItems(*m_object, text.split(QLatin1Char('\n')));
        else if (name == "Name")
            m_object->setProperty("accessibleName", text);
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

void translateItems(QWidget& list) {
    list.setProperty(kItemsMark, true);
}

void translateAccessibleName(QWidget& widget) {
    widget.setProperty(kNameMark, true);
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
