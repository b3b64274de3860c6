#include "ui/certificate_dialog.h"

#include <QPushButton>

#include "ui/qt_text.h"

namespace quay {

namespace {

QString describe(const Dialogs::CertificateQuestion& question) {
    const TlsCertificate& cert = question.certificate;
    QString text = question.changed
                       ? QStringLiteral(
                             "The certificate of %1 has changed since you chose to "
                             "trust it.\n\n")
                       : QStringLiteral("The certificate of %1 could not be verified.\n\n");
    text = text.arg(qtext(question.server));
    text += QStringLiteral("Subject: ") + qtext(cert.subject) + '\n';
    text += QStringLiteral("Issuer: ") + qtext(cert.issuer) + '\n';
    text += QStringLiteral("Valid from: ") + qtext(cert.notBefore) + '\n';
    text += QStringLiteral("Valid until: ") + qtext(cert.notAfter) + '\n';
    text += QStringLiteral("SHA-256 fingerprint: ") + qtext(cert.sha256) + '\n';
    text += QStringLiteral("Reason: ") + qtext(cert.reason);
    return text;
}

}  // namespace

CertificateDialog::CertificateDialog(const Dialogs::CertificateQuestion& question, QWidget* parent)
    : QMessageBox(QMessageBox::Warning, QStringLiteral("Unknown certificate"), describe(question),
                  QMessageBox::NoButton, parent) {
    setObjectName(QStringLiteral("CertificateDialog"));
    setWindowModality(Qt::ApplicationModal);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_refuse = addButton(QStringLiteral("Refuse"), QMessageBox::RejectRole);
    m_once = addButton(QStringLiteral("Accept once"), QMessageBox::AcceptRole);
    m_always = addButton(QStringLiteral("Always trust"), QMessageBox::YesRole);
    m_refuse->setObjectName(QStringLiteral("btRefuse"));
    m_once->setObjectName(QStringLiteral("btAcceptOnce"));
    m_always->setObjectName(QStringLiteral("btAlwaysTrust"));
    setDefaultButton(m_refuse);
    setEscapeButton(m_refuse);
}

Dialogs::CertificateAnswer CertificateDialog::ask() {
    exec();
    if (clickedButton() == m_always)
        return Dialogs::CertificateAnswer::AlwaysTrust;
    if (clickedButton() == m_once)
        return Dialogs::CertificateAnswer::AcceptOnce;
    return Dialogs::CertificateAnswer::Refuse;
}

}  // namespace quay
