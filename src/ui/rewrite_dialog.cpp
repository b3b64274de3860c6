#include "ui/rewrite_dialog.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QVBoxLayout>

#include "ui/font_scale.h"
#include "ui/input_form.h"
#include "ui/name_text.h"
#include "ui/qt_text.h"

namespace quay {

namespace {

using Overwrite = Dialogs::Overwrite;

struct ButtonDef {
    const char* name;
    const char* caption;
    Overwrite answer;
};

const ButtonDef kButtons[] = {
    {"SpeedButton1", "Resume", Overwrite::Resume},
    {"SpeedButton2", "Overwrite", Overwrite::Overwrite},
    {"SpeedButton3", "All", Overwrite::All},
    {"SpeedButton4", "Skip", Overwrite::Skip},
    {"SpeedButton5", "Save as", Overwrite::SaveAs},
    {"SpeedButton6", "Cancel", Overwrite::Cancel},
};

}  // namespace

RewriteDialog::RewriteDialog(const std::string& notice, const std::string& path, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_path(path),
      m_question(QStringLiteral("Overwrite the file ?")) {
    setObjectName(QStringLiteral("FReWrite"));
    setWindowTitle(QStringLiteral("Rewrite Files Prompt"));
    setModal(true);
    m_text.setObjectName(QStringLiteral("RichEdit1"));
    m_text.setReadOnly(true);
    m_text.setPlainText(qtext(notice) + QLatin1Char('\n') + qtext(path));
    m_question.setObjectName(QStringLiteral("Label1"));
    // The question names the text that holds the file it is about.
    m_question.setBuddy(&m_text);

    auto* row = new QHBoxLayout;
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        const ButtonDef& def = kButtons[i];
        auto* button = new QPushButton(QString::fromLatin1(def.caption), this);
        button->setObjectName(QString::fromLatin1(def.name));
        button->setProperty("tag", static_cast<int>(def.answer));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this,
                [this, answer = def.answer] { buttonClicked(answer); });
        row->addWidget(button);
        m_buttons[i] = button;
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&m_text);
    layout->addWidget(&m_question);
    layout->addLayout(row);
    resize(fontScaled(fontMetrics(), 520), fontScaled(fontMetrics(), 200));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void RewriteDialog::buttonClicked(Overwrite answer) {
    if (answer == Overwrite::SaveAs && !askNewPath())
        return;
    m_answer = answer;
    done(static_cast<int>(answer));
}

bool RewriteDialog::askNewPath() {
    InputForm query(QStringLiteral("Save as ..."), QStringLiteral("New Path"), editableName(m_path),
                    false, this);
    if (query.exec() != QDialog::Accepted)
        return false;
    m_path = nameBytes(query.value());
    return true;
}

// Without title-bar buttons the prompt must not vanish by Escape or the window manager
// either: the batch needs one of the six answers.
void RewriteDialog::reject() {}

void RewriteDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
}

}  // namespace quay
