#include "ui/certificate_dialog.h"

#include <QPushButton>

#include "ui/qt_text.h"

namespace quay {

namespace {

QString describe(const Dialogs& dialogs, const Dialogs::CertificateQuestion& question) {
    const TlsCertificate& cert = question.certificate;
    const auto line = [&dialogs](Message label, const std::string& value) {
        return qtext(dialogs.text(label)) + QLatin1Char(' ') + qtext(value);
    };
    QStringList lines{qtext(dialogs.text(question.changed ? Message::CertificateChanged
                                                          : Message::CertificateNotVerified,
                                         {question.server})),
                      QString(),
                      line(Message::CertificateSubject, cert.subject),
                      line(Message::CertificateIssuer, cert.issuer),
                      line(Message::CertificateValidFrom, cert.notBefore),
                      line(Message::CertificateValidUntil, cert.notAfter),
                      line(Message::CertificateFingerprint, cert.sha256),
                      line(Message::CertificateReason, cert.reason)};
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

CertificateDialog::CertificateDialog(const Dialogs& dialogs,
                                     const Dialogs::CertificateQuestion& question, QWidget* parent)
    : QMessageBox(QMessageBox::Warning, qtext(dialogs.text(Message::CertificateTitle)),
                  describe(dialogs, question), QMessageBox::NoButton, parent) {
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
