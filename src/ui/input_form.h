#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quay {

// The one-line modal prompt: label Prompt, edit Input, buttons Button1 ("&Ok") and Button2
// ("&Cancel", also Escape), and the check box chbMask ("Mask password"), shown only when
// the caller asks for masking. Checking chbMask shows the input as stars; the text itself
// never changes.
//
// The first constructor builds the form with its own texts only, so that it can be
// translated before ask() puts in the caller's; the second does both.
class InputForm : public QDialog {
    Q_OBJECT
public:
    explicit InputForm(QWidget* parent = nullptr);
    InputForm(const QString& caption, const QString& prompt, const QString& value, bool masked,
              QWidget* parent = nullptr);

    // The caller's caption, prompt and value; masked shows and checks chbMask.
    void ask(const QString& caption, const QString& prompt, const QString& value, bool masked);

    QString value() const { return m_input.text(); }

private:
    QLabel m_prompt;
    QLineEdit m_input;
    QPushButton m_ok;
    QPushButton m_cancel;
    QCheckBox m_mask;
};

}  // namespace quay
