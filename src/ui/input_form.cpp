#include "ui/input_form.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/font_scale.h"

namespace quay {

InputForm::InputForm(const QString& caption, const QString& prompt, const QString& value,
                     bool masked, QWidget* parent)
    : InputForm(parent) {
    ask(caption, prompt, value, masked);
}

void InputForm::ask(const QString& caption, const QString& prompt, const QString& value,
                    bool masked) {
    setWindowTitle(caption);
    m_prompt.setText(prompt);
    // Not a buddy: a buddy label would take an "&" in the caller's prompt for a mnemonic.
    m_input.setAccessibleName(prompt);
    m_input.setText(value);
    m_mask.setVisible(masked);
    m_mask.setChecked(masked);
    m_input.setEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
}

InputForm::InputForm(QWidget* parent)
    : QDialog(parent),
      m_ok(QStringLiteral("&Ok")),
      m_cancel(QStringLiteral("&Cancel")),
      m_mask(QStringLiteral("Mask password")) {
    setObjectName(QStringLiteral("InputForm"));
    m_prompt.setObjectName(QStringLiteral("Prompt"));
    m_input.setObjectName(QStringLiteral("Input"));
    m_ok.setObjectName(QStringLiteral("Button1"));
    m_cancel.setObjectName(QStringLiteral("Button2"));
    m_mask.setObjectName(QStringLiteral("chbMask"));
    setModal(true);

    m_ok.setDefault(true);
    m_mask.setVisible(false);
    connect(&m_mask, &QCheckBox::toggled, this,
            [this](bool on) { m_input.setEchoMode(on ? QLineEdit::Password : QLineEdit::Normal); });
    connect(&m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(&m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(&m_mask);
    buttons->addStretch();
    buttons->addWidget(&m_ok);
    buttons->addWidget(&m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&m_prompt);
    layout->addWidget(&m_input);
    layout->addLayout(buttons);
    setMinimumWidth(fontScaled(fontMetrics(), 360));
}

}  // namespace quay
