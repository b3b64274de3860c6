#include "ui/pane_headings.h"

#include "ui/pane_view.h"
#include "ui/qt_text.h"

namespace quay {
namespace {

void setHeadings(QWidget& mainWindow, const char* listName, const Dialogs& dialogs,
                 std::initializer_list<Message> headings) {
    auto* list = mainWindow.findChild<PaneView*>(QString::fromLatin1(listName));
    if (list == nullptr)
        return;
    QStringList captions;
    for (Message heading : headings)
        captions << qtext(dialogs.text(heading));
    list->itemModel().setColumnCaptions(captions);
    list->itemModel().setSizeToolTip([&dialogs](const QString& digits) {
        return qtext(dialogs.text(Message::SizeInBytes, {digits.toStdString()}));
    });
}

}  // namespace

void showPaneHeadings(QWidget& mainWindow, const Dialogs& dialogs) {
    setHeadings(mainWindow, "lvLoc", dialogs,
                {Message::LocalColumnName, Message::LocalColumnSize, Message::LocalColumnDate,
                 Message::LocalColumnTime});
    setHeadings(mainWindow, "FTPView", dialogs,
                {Message::RemoteColumnName, Message::RemoteColumnSize, Message::RemoteColumnDate,
                 Message::RemoteColumnTime, Message::RemoteColumnAttributes});
}

}  // namespace quay
