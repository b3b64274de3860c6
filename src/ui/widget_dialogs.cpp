#include "ui/widget_dialogs.h"
#include "ui/qt_text.h"

#include <QApplication>
#include <QFontDialog>
#include <QMessageBox>

#include "ui/chmod_dialog.h"
#include "ui/command_list_dialog.h"
#include "ui/input_form.h"
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

Dialogs::Answer WidgetDialogs::messageBox(const std::string& caption, const std::string& body,
                                          Icon icon, unsigned buttons) {
    QMessageBox box(boxIcon(icon), qtext(caption), qtext(body), boxButtons(buttons), m_parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setWindowModality(Qt::ApplicationModal);
    return answerOf(box.exec(), buttons);
}

bool WidgetDialogs::inputPrompt(const std::string& caption, const std::string& prompt,
                                std::string& value, bool masked) {
    InputForm form(qtext(caption), qtext(prompt), qtext(value), masked, m_parent);
    if (form.exec() != QDialog::Accepted)
        return false;
    value = bytes(form.value());
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
    return true;
}

bool WidgetDialogs::serverProperties(ServerPropertiesModel& model) {
    ServerPropertiesDialog dialog(model, m_parent);
    return dialog.exec() == QDialog::Accepted;
}

void WidgetDialogs::translate(QWidget& window) {
    if (!m_translate)
        return;
    WidgetForm form(window);
    m_translate(form);
}

Dialogs::Overwrite WidgetDialogs::askOverwrite(const std::string& fileName, std::string& newPath) {
    RewriteDialog dialog(fileName, m_parent);
    translate(dialog);
    dialog.exec();
    if (dialog.answer() == Overwrite::SaveAs)
        newPath = dialog.path();
    return dialog.answer();
}

bool WidgetDialogs::changeAttributes(ChmodModel& model) {
    ChmodDialog dialog(model, m_parent);
    translate(dialog);
    return dialog.exec() == QDialog::Accepted;
}

CommandListModel::Close WidgetDialogs::commandList(CommandListModel& model) {
    CommandListDialog dialog(model, m_parent);
    translate(dialog);
    dialog.exec();
    return dialog.closedWith();
}

}  // namespace quay
