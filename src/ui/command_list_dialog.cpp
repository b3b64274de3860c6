#include "ui/command_list_dialog.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <optional>

#include "ui/font_scale.h"
#include "ui/qt_text.h"

namespace quay {

namespace {

using Close = CommandListModel::Close;
using Key = CommandListModel::Key;

std::optional<Key> keyOf(int key) {
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return Key::Enter;
        case Qt::Key_Escape:
            return Key::Escape;
        case Qt::Key_Insert:
            return Key::Insert;
        case Qt::Key_Delete:
            return Key::Delete;
        default:
            return std::nullopt;
    }
}

}  // namespace

CommandListDialog::CommandListDialog(CommandListModel& model, QWidget* parent)
    : QDialog(parent), m_model(model) {
    setObjectName(QStringLiteral("_FCmd"));
    setWindowTitle(QStringLiteral("Commands"));
    setModal(true);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lbCmd"));
    m_label = new QLineEdit(this);
    m_label->setObjectName(QStringLiteral("eAl"));
    m_command = new QLineEdit(this);
    m_command->setObjectName(QStringLiteral("eCmd"));
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row != m_model.selected())
            m_model.select(row);
    });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { closeWith(Close::Select); });
    connect(m_label, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_model.setLabelEdit(bytes(text)); });
    connect(m_command, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_model.setCommandEdit(bytes(text)); });

    auto makeButton = [this](const char* name, const char* caption, int tag) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setProperty("tag", tag);
        b->setAutoDefault(false);
        return b;
    };
    auto* add = makeButton("SpeedButton1", "Add", 0);
    auto* remove = makeButton("SpeedButton2", "Remove", 0);
    auto* close = makeButton("SpeedButton3", "Close", 2);
    auto* select = makeButton("SpeedButton4", "Select", 1);
    connect(add, &QPushButton::clicked, this, [this] { m_model.add(); });
    connect(remove, &QPushButton::clicked, this, [this] { m_model.remove(); });
    connect(close, &QPushButton::clicked, this, [this] { closeWith(Close::Close); });
    connect(select, &QPushButton::clicked, this, [this] { closeWith(Close::Select); });

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Label"), m_label);
    fields->addRow(QStringLiteral("Command text"), m_command);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {add, remove, select, close})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    setMinimumWidth(fontScaled(fontMetrics(), 420));

    // The dialog sees the keys before any of its controls.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    installEventFilter(this);
    m_model.onChanged = [this] { refresh(); };
    refresh();
}

CommandListDialog::~CommandListDialog() {
    m_model.onChanged = nullptr;
}

void CommandListDialog::closeWith(Close how) {
    m_closedWith = how;
    done(static_cast<int>(how));
}

void CommandListDialog::refresh() {
    {
        const QSignalBlocker block(m_list);
        QStringList labels;
        for (const std::string& label : m_model.labels())
            labels << qtext(label);
        bool same = m_list->count() == labels.size();
        for (int i = 0; same && i < labels.size(); ++i)
            same = m_list->item(i)->text() == labels[i];
        if (!same) {
            m_list->clear();
            m_list->addItems(labels);
        }
        m_list->setCurrentRow(m_model.selected());
    }
    for (auto [edit, text] :
         {std::pair{m_label, &m_model.labelEdit()}, std::pair{m_command, &m_model.commandEdit()}}) {
        if (edit->text() != qtext(*text))
            edit->setText(qtext(*text));
        edit->setReadOnly(m_model.editsReadOnly());
    }
}

bool CommandListDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const std::optional<Key> key = keyOf(static_cast<QKeyEvent*>(event)->key());
        std::optional<Close> closeWithHow;
        if (key && m_model.key(*key, focusWidget() == m_list, &closeWithHow)) {
            if (closeWithHow)
                closeWith(*closeWithHow);
            return true;
        }
        // Escape outside the list must not close the dialog behind the model's back.
        if (key == Key::Escape || key == Key::Enter)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace quay
