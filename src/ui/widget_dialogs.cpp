#include "ui/widget_dialogs.h"
#include "ui/certificate_dialog.h"
#include "ui/qt_text.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

#include "ui/chmod_dialog.h"
#include "ui/command_list_dialog.h"
#include "ui/input_form.h"
#include "ui/name_text.h"
#include "ui/options_dialog_view.h"
#include "ui/pane_font.h"
#include "ui/rewrite_dialog.h"
#include "ui/server_properties_dialog.h"
#include "ui/widget_form.h"

namespace quay {

namespace {

QMessageBox::Icon boxIcon(Dialogs::Icon icon) {
    switch (icon) {
        case Dialogs::Icon::Information:
            return QMessageBox::Information;
        case Dialogs::Icon::Warning:
            return QMessageBox::Warning;
        case Dialogs::Icon::Error:
            return QMessageBox::Critical;
        case Dialogs::Icon::Question:
            return QMessageBox::Question;
        case Dialogs::Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons boxButtons(unsigned buttons) {
    QMessageBox::StandardButtons result;
    if (buttons & Dialogs::Yes)
        result |= QMessageBox::Yes;
    if (buttons & Dialogs::No)
        result |= QMessageBox::No;
    if (buttons & Dialogs::Ok)
        result |= QMessageBox::Ok;
    if (buttons & Dialogs::Cancel)
        result |= QMessageBox::Cancel;
    return result ? result : QMessageBox::StandardButtons(QMessageBox::Ok);
}

// Closing the box without a button counts as its most cautious answer.
Dialogs::Answer answerOf(int button, unsigned buttons) {
    switch (button) {
        case QMessageBox::Yes:
            return Dialogs::Answer::Yes;
        case QMessageBox::No:
            return Dialogs::Answer::No;
        case QMessageBox::Ok:
            return Dialogs::Answer::Ok;
        case QMessageBox::Cancel:
            return Dialogs::Answer::Cancel;
        default:
            break;
    }
    if (buttons & Dialogs::Cancel)
        return Dialogs::Answer::Cancel;
    if (buttons & Dialogs::No)
        return Dialogs::Answer::No;
    return Dialogs::Answer::Ok;
}

}  // namespace

void WidgetDialogs::translate(QWidget& window) {
    if (!translateWindow)
        return;
    WidgetForm form(window);
    translateWindow(form);
}

Dialogs::Answer WidgetDialogs::messageBox(const std::string& caption, const std::string& body,
                                          Icon icon, unsigned buttons) {
    // A text from a language file breaks lines with CR LF.
    const QString text = qtext(body).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(boxIcon(icon), qtext(caption), text, boxButtons(buttons), m_parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setWindowModality(Qt::ApplicationModal);
    return answerOf(box.exec(), buttons);
}

bool WidgetDialogs::inputPrompt(const std::string& caption, const std::string& prompt,
                                std::string& value, bool masked) {
    InputForm form(m_parent);
    translate(form);
    form.ask(qtext(caption), qtext(prompt), editableName(value), masked);
    if (form.exec() != QDialog::Accepted)
        return false;
    value = nameBytes(form.value());
    return true;
}

bool WidgetDialogs::chooseFont(PaneFont& font) {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, qtFontOf(font, QApplication::font()), m_parent);
    if (!ok)
        return false;
    const PaneFont picked = paneFontOf(chosen);
    // The dialog knows no character set or colour: those stay as they were.
    font.name = picked.name;
    font.bold = picked.bold;
    font.italic = picked.italic;
    font.underLine = picked.underLine;
    font.strikeOut = picked.strikeOut;
    if (font.size)
        font.size = chosen.pointSize();
    return true;
}

Dialogs::CertificateAnswer WidgetDialogs::askCertificate(const CertificateQuestion& question) {
    CertificateDialog dialog(*this, question, m_parent);
    translate(dialog);
    return dialog.ask();
}

bool WidgetDialogs::options(OptionsDialogModel& model) {
    OptionsDialog dialog(model, m_parent);
    dialog.setWindowTitle(qtext(text(Message::OptionsTitle)));
    translate(dialog);
    return dialog.exec() == QDialog::Accepted;
}

namespace {

// "Name (*.x)|*.x|..." as Qt's "Name (*.x);;...": the names carry the patterns Qt reads.
// Every file matches "*.*" on these systems too.
QString qtFilter(const std::string& filter) {
    const QStringList parts = qtext(filter).split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        name.replace(QStringLiteral("(*.*)"), QStringLiteral("(*)"));
        result << name;
    }
    return result.join(QStringLiteral(";;"));
}

}  // namespace

bool WidgetDialogs::chooseFile(const std::string& title, const std::string& filter,
                               std::string& fileName) {
    QFileDialog dialog(m_parent, qtext(title));
    dialog.setObjectName(QStringLiteral("opd"));
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(qtFilter(filter));
    dialog.selectFile(qtext(fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    fileName = bytes(dialog.selectedFiles().front());
    return true;
}

bool WidgetDialogs::chooseDirectory(const std::string& caption, std::string& directory) {
    const QString chosen =
        QFileDialog::getExistingDirectory(m_parent, qtext(caption), qtext(directory));
    if (chosen.isEmpty())
        return false;
    directory = bytes(chosen);
    // Directories of the options end in the separator.
    if (directory.back() != '/')
        directory += '/';
    return true;
}

bool WidgetDialogs::serverProperties(ServerPropertiesModel& model) {
    ServerPropertiesDialog dialog(model, m_parent);
    dialog.setWindowTitle(qtext(text(Message::ServerPropertiesTitle)));
    dialog.setBrowseTitle(qtext(text(Message::BrowseLocalDirectoryTitle)));
    translate(dialog);
    return dialog.exec() == QDialog::Accepted;
}

Dialogs::Overwrite WidgetDialogs::askOverwrite(const std::string& fileName, std::string& newPath) {
    RewriteDialog dialog(text(Message::FileExists), fileName, m_parent);
    dialog.setWindowTitle(qtext(text(Message::RewriteTitle)));
    translate(dialog);
    dialog.exec();
    if (dialog.answer() == Overwrite::SaveAs)
        newPath = dialog.path();
    return dialog.answer();
}

bool WidgetDialogs::changeAttributes(ChmodModel& model) {
    ChmodDialog dialog(model, m_parent);
    dialog.setWindowTitle(qtext(text(Message::AttributesTitle)));
    translate(dialog);
    return dialog.exec() == QDialog::Accepted;
}

CommandListModel::Close WidgetDialogs::commandList(CommandListModel& model) {
    CommandListDialog dialog(model, m_parent);
    dialog.setWindowTitle(qtext(text(Message::CommandListTitle)));
    translate(dialog);
    dialog.exec();
    return dialog.closedWith();
}

}  // namespace quay
