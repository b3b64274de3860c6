#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

#include "config/named_objects.h"
#include "session/dialogs.h"

namespace quay {

// Dialogs answered by the user through Qt dialogs, modal to the given parent window. Each
// call runs a nested Qt loop until the user answers; the core keeps running meanwhile.
class WidgetDialogs : public Dialogs {
public:
    void setParent(QWidget* parent) { m_parent = parent; }

    Answer messageBox(const std::string& caption, const std::string& text, Icon icon,
                      unsigned buttons) override;
    bool inputPrompt(const std::string& caption, const std::string& prompt, std::string& value,
                     bool masked) override;
    bool chooseFont(PaneFont& font) override;
    bool serverProperties(ServerPropertiesModel& model) override;
    bool options(OptionsDialogModel& model) override;
    bool chooseFile(const std::string& title, const std::string& filter,
                    std::string& fileName) override;
    bool chooseDirectory(const std::string& caption, std::string& directory) override;
    Overwrite askOverwrite(const std::string& fileName, std::string& newPath) override;
    bool changeAttributes(ChmodModel& model) override;
    CommandListModel::Close commandList(CommandListModel& model) override;
    CertificateAnswer askCertificate(const CertificateQuestion& question) override;

private:
    // Every window goes through the translation when it is created (translateWindow).
    void translate(QWidget& window);

    QPointer<QWidget> m_parent;
};

}  // namespace quay
