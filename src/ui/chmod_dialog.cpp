#include "ui/chmod_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/qt_text.h"

namespace quay {

namespace {

QPushButton* button(QWidget* parent, const char* name, const char* caption, int tag) {
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setProperty("tag", tag);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

ChmodDialog::ChmodDialog(ChmodModel& model, QWidget* parent) : QDialog(parent), m_model(model) {
    setObjectName(QStringLiteral("_ChMod"));
    setWindowTitle(QStringLiteral("Change File Attributes"));
    setModal(true);

    auto* grid = new QGridLayout;
    const char* columns[] = {"Read", "Write", "Execute"};
    for (int column = 1; column <= 3; ++column) {
        auto* b = button(this, ("SpeedButton" + std::to_string(column + 2)).c_str(),
                         columns[column - 1], column);
        connect(b, &QPushButton::clicked, this,
                [this, column] { m_model.clickColumnButton(column); });
        grid->addWidget(b, 0, column);
    }
    const char* rows[] = {"Owner Permissions", "Group Permissions", "Public Permissions"};
    for (int row = 1; row <= 3; ++row) {
        auto* b =
            button(this, ("SpeedButton" + std::to_string(row + 5)).c_str(), rows[row - 1], row);
        connect(b, &QPushButton::clicked, this, [this, row] { m_model.clickRowButton(row); });
        grid->addWidget(b, row, 0);
        for (int column = 1; column <= 3; ++column) {
            const int number = (row - 1) * 3 + column;
            auto* box = new QCheckBox(this);
            box->setObjectName(QStringLiteral("cb%1").arg(number));
            connect(box, &QCheckBox::clicked, this,
                    [this, number](bool on) { m_model.setBox(number, on); });
            grid->addWidget(box, row, column, Qt::AlignCenter);
            m_boxes[std::size_t(number - 1)] = box;
        }
    }

    auto* manual = new QLabel(QStringLiteral("Manual"), this);
    manual->setObjectName(QStringLiteral("Label1"));
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("Edit1"));
    m_edit->setMaxLength(static_cast<int>(ChmodModel::kEditMaxLength));
    m_edit->installEventFilter(this);
    manual->setBuddy(m_edit);
    connect(m_edit, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_model.setEditText(bytes(text)); });

    auto* ok = button(this, "SpeedButton1", "Ok", 1);
    auto* cancel = button(this, "SpeedButton2", "Cancel", 2);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(manual);
    bottom->addWidget(m_edit);
    bottom->addStretch();
    bottom->addWidget(ok);
    bottom->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(bottom);

    m_model.onChanged = [this] { refresh(); };
    refresh();
}

ChmodDialog::~ChmodDialog() {
    m_model.onChanged = nullptr;
}

// The boxes show no text: each is spoken as its row's and its column's caption, as shown,
// so that a translation applied after construction is heard too.
void ChmodDialog::showEvent(QShowEvent* event) {
    for (int row = 1; row <= 3; ++row)
        for (int column = 1; column <= 3; ++column) {
            const QString rowCaption = captionOf(QStringLiteral("SpeedButton%1").arg(row + 5));
            const QString columnCaption =
                captionOf(QStringLiteral("SpeedButton%1").arg(column + 2));
            m_boxes[std::size_t((row - 1) * 3 + column - 1)]->setAccessibleName(
                rowCaption + QLatin1Char(' ') + columnCaption);
        }
    QDialog::showEvent(event);
}

QString ChmodDialog::captionOf(const QString& buttonName) const {
    auto* b = findChild<QPushButton*>(buttonName);
    return b != nullptr ? b->text().remove(QLatin1Char('&')) : QString();
}

void ChmodDialog::refresh() {
    for (int number = 1; number <= 9; ++number) {
        QCheckBox* box = m_boxes[std::size_t(number - 1)];
        const QSignalBlocker block(box);
        box->setChecked(m_model.box(number));
    }
    for (int i = 1; i <= 3; ++i) {
        if (auto* b = findChild<QPushButton*>(QStringLiteral("SpeedButton%1").arg(i + 2)))
            b->setProperty("tag", m_model.columnButtonTag(i));
        if (auto* b = findChild<QPushButton*>(QStringLiteral("SpeedButton%1").arg(i + 5)))
            b->setProperty("tag", m_model.rowButtonTag(i));
    }
    const QString text = qtext(m_model.editText());
    if (m_edit->text() != text) {
        const QSignalBlocker block(m_edit);
        m_edit->setText(text);
    }
}

// A typed character other than an octal digit erases the one before the cursor instead.
bool ChmodDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.size() == 1 && ChmodModel::keyActsAsBackspace(text.at(0).unicode())) {
            m_edit->backspace();
            m_model.setEditText(bytes(m_edit->text()));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace quay
