#pragma once

#include <QDialog>
#include <memory>

#include "session/options_dialog.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTreeWidget;

namespace quay {

class WidgetForm;

// The options dialog (form "_Options") on an OptionsDialogModel: the tree TreeView1 picks one
// of the seven pages of PageControl1; every control carries its name, shows the model's state
// and writes what the user does back into the model at once, and the enabling and colouring
// rules are shown after each change. "&OK" accepts, "&Cancel" rejects; the caller stores the
// model on OK. While it lives, the model's form is this dialog, for the language preview.
class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    OptionsDialog(OptionsDialogModel& model, QWidget* parent = nullptr);
    ~OptionsDialog() override;

private:
    QWidget* buildTree();
    QWidget* buildConnectionPage();
    QWidget* buildModePage();
    QWidget* buildLogPage();
    QWidget* buildKeepPage();
    QWidget* buildProxyPage();
    QWidget* buildDisplayPage();
    QWidget* buildLanguagePage();

    QLineEdit* edit(const char* name, std::string& field);
    QCheckBox* check(const char* name, const char* caption, bool& field);
    QSpinBox* upDown(const char* name, int& field, OptionsDialogModel::Range range);
    QPushButton* button(const char* name, const char* caption, std::function<void()> action);
    // Radio buttons, one per caption, named from names (unnamed when null); a click stores
    // the button's tag (its position) in field.
    QButtonGroup* radios(QLayout& layout, const std::string_view* captions, std::size_t count,
                         const char* const* names, int& field);
    QListWidget* list(const char* name, std::vector<std::string>& items, int& index);
    // The rules of the model, shown on the widgets.
    void refresh();
    void refreshList(QListWidget* widget, const std::vector<std::string>& items, int index);

    OptionsDialogModel& m_model;
    std::unique_ptr<WidgetForm> m_form;
    QTreeWidget* m_tree = nullptr;
    QStackedWidget* m_pages = nullptr;
    QWidget *m_proxy = nullptr, *m_socks = nullptr, *m_firewall = nullptr;
    QLineEdit *m_proxyPassword = nullptr, *m_socksPassword = nullptr;
    QLineEdit *m_anonymous = nullptr, *m_logFile = nullptr, *m_path = nullptr;
    QSpinBox *m_keep = nullptr, *m_duration = nullptr;
    QListWidget *m_extensions = nullptr, *m_commands = nullptr;
    QPushButton* m_font = nullptr;
    QComboBox* m_languages = nullptr;
    QWidget* m_languageLabel = nullptr;
};

}  // namespace quay
