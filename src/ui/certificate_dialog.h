#pragma once

#include <QMessageBox>

#include "session/dialogs.h"

namespace quay {

// "Unknown certificate": what the certificate says of itself, why it did not verify (and,
// when it replaced a trusted one, that it changed), and the buttons "Refuse" (also Escape and
// closing the window), "Accept once" and "Always trust". The texts are the dialogs' (the
// language shown); the buttons are translated by name like any dialog's.
class CertificateDialog : public QMessageBox {
    Q_OBJECT
public:
    CertificateDialog(const Dialogs& dialogs, const Dialogs::CertificateQuestion& question,
                      QWidget* parent);
    // Runs the dialog and returns the user's choice.
    Dialogs::CertificateAnswer ask();

private:
    QPushButton* m_refuse;
    QPushButton* m_once;
    QPushButton* m_always;
};

}  // namespace quay
