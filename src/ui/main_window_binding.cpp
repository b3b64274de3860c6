#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <algorithm>

#include "session/session_controller.h"
#include "ui/main_window.h"
#include "ui/pane_font.h"
#include "ui/pane_view.h"
#include "ui/qt_text.h"

namespace quay {

namespace {

void setCaption(QWidget* w, const QString& text) {
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(text);
        // A status text is read out by its text ("Encrypted (TLS 1.3)").
        label->setAccessibleName(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(text);
}

void applyToAction(QAction* action, const ControlState& state) {
    action->setText(qtext(state.text));
    action->setToolTip(qtext(state.hint));
    action->setEnabled(state.enabled);
    action->setVisible(state.visible);
    // Entries show a check mark only once they have been checked, like the menus they model.
    if (state.checked)
        action->setCheckable(true);
    action->setChecked(state.checked);
    action->setProperty("tag", state.tag);
}

void applyToWidget(QWidget* w, const ControlState& state) {
    w->setEnabled(state.enabled);
    // Children marked visible appear when their window is shown.
    w->setVisible(state.visible);
    w->setToolTip(qtext(state.hint));
    // A control without a caption (an icon button, a list) is spoken by its hint.
    if (state.text.empty() && !state.hint.empty())
        w->setAccessibleName(qtext(state.hint));
    w->setProperty("tag", state.tag);
    if (!state.text.empty() || qobject_cast<QLabel*>(w) != nullptr)
        setCaption(w, qtext(state.text));
    if (state.cursor == Cursor::crHourGlass)
        w->setCursor(Qt::WaitCursor);
    else
        w->unsetCursor();
}

}  // namespace

void MainWindow::bindPaneFonts() {
    PresentationModel& model = m_controller.model();
    for (const char* name : {"lvLoc", "FTPView"}) {
        QWidget* list = widget(name);
        // The lists have fonts of their own: the window font of the options does not reach
        // them (setting family and size marks them as the list's own).
        QFont own = list->font();
        own.setFamily(own.family());
        own.setPointSizeF(own.pointSizeF());
        list->setFont(own);
        m_definedFonts[name] = own;
        model.setPaneFont(name, paneFontOf(list->font()));
    }
    // A family the system lacks falls back to the default one; colours have no Qt font field.
    const auto applyWindowFont = [this] {
        const WindowFont& options = m_controller.model().windowFont();
        QFont font = this->font();
        if (!options.name.empty())
            font.setFamily(qtext(options.name));
        if (options.size > 0)
            font.setPointSize(options.size);
        setFont(font);
    };
    applyWindowFont();
    model.onWindowFontChanged = applyWindowFont;
    model.onPaneFontChanged = [this](const std::string& name) {
        if (QWidget* list = widget(name))
            list->setFont(qtFontOf(m_controller.model().paneFont(name), m_definedFonts.at(name)));
    };
}

void MainWindow::applyControl(const std::string& name) {
    const ControlState& state = m_controller.model().control(name);
    if (QAction* a = action(name))
        applyToAction(a, state);
    else if (QWidget* w = widget(name))
        applyToWidget(w, state);
    // Each file list is spoken by the caption above it.
    if (name == "Panel8" || name == "Panel9")
        if (auto* list = static_cast<PaneView*>(widget(name == "Panel8" ? "lvLoc" : "FTPView")))
            list->setListName(qtext(state.text));
    // A title's mnemonic avoids the other titles' letters and the buttons'.
    if (std::find(m_menus.titles.begin(), m_menus.titles.end(), name) != m_menus.titles.end() ||
        qobject_cast<QAbstractButton*>(widget(name)) != nullptr)
        applyMenuTitles();
}

void MainWindow::applyScreenCursor() {
    const bool busy = m_controller.model().screenCursor() == Cursor::crHourGlass;
    if (busy == m_overrideCursor)
        return;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
    m_overrideCursor = busy;
}

void MainWindow::bindModel() {
    PresentationModel& model = m_controller.model();
    for (const std::string& name : model.controlNames())
        applyControl(name);
    model.onControlChanged = [this](const std::string& name) { applyControl(name); };
    for (const std::string& line : model.logLines())
        m_log->appendLine(qtext(line));
    bindLog();
    model.onScreenCursorChanged = [this] { applyScreenCursor(); };
    bindPaneFonts();
    bindCombo("FTPPath", model.ftpPath());
    bindCombo("cbCmd", model.cbCmd());
    bindPane(*static_cast<PaneView*>(widget("lvLoc")), Command::LocalOpen, "pupLoc");
    bindPane(*static_cast<PaneView*>(widget("FTPView")), Command::RemoteOpen, "PopupMenu1");
    bindProgressWindow();
}

void MainWindow::bindCombo(const char* name, ComboModel& combo) {
    auto* box = static_cast<QComboBox*>(widget(name));
    // Only what differs is touched, so typing in the box keeps its cursor where it is.
    auto refresh = [box, &combo] {
        const QSignalBlocker block(box);
        bool sameItems = box->count() == static_cast<int>(combo.count());
        for (int i = 0; sameItems && i < box->count(); ++i)
            sameItems = bytes(box->itemText(i)) == combo.items()[static_cast<std::size_t>(i)];
        if (!sameItems) {
            box->clear();
            for (const std::string& item : combo.items())
                box->addItem(qtext(item));
        }
        if (box->currentIndex() != combo.itemIndex())
            box->setCurrentIndex(combo.itemIndex());
        if (bytes(box->currentText()) != combo.text())
            box->setEditText(qtext(combo.text()));
    };
    refresh();
    auto previous = combo.onChanged;
    combo.onChanged = [refresh, previous] {
        refresh();
        if (previous)
            previous();
    };
    // An editable box sets its text to a chosen item before it reports the choice: the model
    // takes the chosen index with the text, so that the refresh does not put the old item
    // back, which the box would then report as the choice.
    connect(box, &QComboBox::currentIndexChanged, this, [&combo](int index) {
        if (index >= 0 && index != combo.itemIndex())
            combo.setItemIndex(index);
    });
    connect(box, &QComboBox::activated, this, [this, name, &combo](int index) {
        combo.setItemIndex(index);
        const Command command = commandOf(name);
        if (command != Command::None)
            commandAction(command)->trigger();
    });
    connect(box, &QComboBox::editTextChanged, this, [box, &combo](const QString& text) {
        const int index = box->currentIndex();
        if (index >= 0 && index != combo.itemIndex() && box->itemText(index) == text) {
            combo.setItemIndex(index);
            return;
        }
        if (bytes(text) != combo.text())
            combo.setText(bytes(text));
    });
}

void MainWindow::bindPane(PaneView& view, Command open, const char* popup) {
    connect(&view, &PaneView::doubleClicked, commandAction(open), &QAction::trigger);
    const std::string list = view.objectName().toStdString();
    view.canStartDrag = [this, list] { return m_controller.paneDragAllowed(list); };
    if (list == "FTPView")
        connect(&view, &PaneView::itemSelected, this,
                [this] { m_controller.remoteSelectionChanged(); });
    connect(&view, &PaneView::rowDropped, this, [this, list](const QString& source, int row) {
        if (list == "FTPView")
            m_controller.dropOnRemotePane(source.toStdString(), row);
        else
            m_controller.dropOnLocalPane(source.toStdString());
    });
    QMenu* menu = m_menus.popups.at(popup);
    connect(&view, &PaneView::contextMenuRequested, menu,
            [menu](const QPoint& at) { menu->popup(at); });
}

void MainWindow::refreshLanguageEntries() {
    QMenu* menu = action("miLang")->menu();
    // An entry may be the one whose trigger is running: it is removed now, deleted later.
    for (QAction* entry : m_languageEntries) {
        menu->removeAction(entry);
        entry->deleteLater();
    }
    m_languageEntries.clear();
    const std::vector<LanguageMenuItem>& items = m_controller.languageItems();
    for (std::size_t i = 1; i < items.size(); ++i) {
        QAction* entry = menu->addAction(qtext(items[i].caption));
        entry->setCheckable(true);
        entry->setChecked(items[i].checked);
        entry->setProperty("tag", items[i].tag);
        connect(entry, &QAction::triggered, this, [this, tag = items[i].tag] {
            m_controller.chooseLanguage(tag);
            refreshLanguageEntries();
        });
        m_languageEntries.push_back(entry);
    }
}

}  // namespace quay
