#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <array>

#include "session/dialogs.h"

namespace quay {

// The overwrite prompt (form "FReWrite", caption "Rewrite Files Prompt"): the read-only
// text box RichEdit1 with the two lines notice (the built-in one is "File is already exist !")
// and the file name, the
// label Label1 "Overwrite the file ?" and the buttons SpeedButton1 to SpeedButton6
// ("Resume", "Overwrite", "All", "Skip", "Save as", "Cancel", tags 0 to 5).
//
// It has no title-bar buttons and ignores Escape and close requests: only a button ends it.
// "Save as" first asks for a new path with the input prompt "Save as ..." / "New Path"
// (prefilled with the path); cancelling that prompt keeps this dialog open, confirming it
// replaces the path and closes the dialog.
class RewriteDialog : public QDialog {
    Q_OBJECT
public:
    RewriteDialog(const std::string& notice, const std::string& path, QWidget* parent = nullptr);

    // The answer of the button that closed the dialog; Cancel until one did.
    Dialogs::Overwrite answer() const { return m_answer; }
    // The path, replaced by the one confirmed through "Save as".
    const std::string& path() const { return m_path; }

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buttonClicked(Dialogs::Overwrite answer);
    bool askNewPath();

    std::string m_path;
    Dialogs::Overwrite m_answer = Dialogs::Overwrite::Cancel;
    QTextEdit m_text;
    QLabel m_question;
    std::array<QPushButton*, 6> m_buttons{};
};

}  // namespace quay
