#pragma once

#include <QDialog>
#include <QTextBrowser>

namespace quay {

// The help window: the program's help page, opened at the section of a help context number
// (10 is the main window). One window serves every request; showing it again moves it to the
// requested section.
class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    void showContext(int context);

private:
    QTextBrowser m_text;
};

}  // namespace quay
