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
    // Translates a window as it is created (the main window's language choice); unset, the
    // windows keep their built-in texts.
    void setTranslator(std::function<void(NamedForm&)> translate) {
        m_translate = std::move(translate);
    }

    Answer messageBox(const std::string& caption, const std::string& text, Icon icon,
                      unsigned buttons) override;
    bool inputPrompt(const std::string& caption, const std::string& prompt, std::string& value,
                     bool masked) override;
    bool chooseFont(PaneFont& font) override;
    bool serverProperties(ServerPropertiesModel& model) override;
    Overwrite askOverwrite(const std::string& fileName, std::string& newPath) override;
    bool changeAttributes(ChmodModel& model) override;
    CommandListModel::Close commandList(CommandListModel& model) override;

private:
    void translate(QWidget& window);

    QPointer<QWidget> m_parent;
    std::function<void(NamedForm&)> m_translate;
};

}  // namespace quay
