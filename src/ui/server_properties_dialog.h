#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <array>
#include <functional>

#include "config/message_texts.h"
#include "sites/server_properties.h"
#include "ui/qt_text.h"

namespace quay {

// The server properties dialog (form "FFtpBase") on a ServerPropertiesModel: every control
// carries its name, shows the model's state and writes what the user does back into the
// model at once. "OK" closes the dialog only when the model agrees; the caller ends the
// model with finish() afterwards.
class ServerPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    ServerPropertiesDialog(ServerPropertiesModel& model, QWidget* parent = nullptr);
    // The title of the chooser of the local start directory ("Browse").
    void setBrowseTitle(const QString& title) { m_browseTitle = title; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildServerGroup();
    QWidget* buildUserGroup();
    QWidget* buildDirectoryGroup();
    QWidget* buildTypeGroup();
    QLineEdit* edit(const char* name, std::string& field);
    QCheckBox* check(const char* name, const char* caption, bool checked,
                     std::function<void(bool)> set);
    void refreshStates();
    void refreshLayouts();
    void refreshColumns();
    void browse();

    ServerPropertiesModel& m_model;
    QString m_browseTitle = qtext(messageText(nullptr, Message::BrowseLocalDirectoryTitle));
    QLineEdit* m_password = nullptr;
    QLineEdit* m_email = nullptr;
    QLineEdit* m_remoteDir = nullptr;
    QLineEdit* m_localDir = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_account = nullptr;
    QCheckBox* m_mask = nullptr;
    QComboBox* m_type = nullptr;
    QComboBox* m_layouts = nullptr;
    QWidget* m_custom = nullptr;
    std::array<QLineEdit*, 6> m_columns{};
};

}  // namespace quay
