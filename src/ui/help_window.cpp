#include "ui/help_window.h"

#include <QVBoxLayout>

#include "ui/font_scale.h"

namespace quay {

namespace {

// The help page. Each section's anchor is "context" + its help context number.
const char* const kHelpPage = R"(<html><body>
<h2><a name="context10">The main window</a></h2>
<p>The left pane shows the local computer: the drive and directory on the left, the files of
the directory on the right. The right pane shows the saved FTP servers, organised in folders,
or, once connected, the current remote directory. The log at the bottom shows the dialogue
with the server.</p>
<h3>Connecting</h3>
<p>Select a server and press <b>Connect</b>, or double-click it. <b>New Server</b> adds one;
<b>Properties</b> edits the selected one. Folders of the server list open with a
double-click; the path box above the list goes back to any level, and its first entry,
"Server Liste ...", to the top of the list.</p>
<h3>Transfers</h3>
<p>The arrow buttons between the panes upload the files selected on the left and download
those selected on the right. <b>Stop Transfer</b> ends the running transfer. The transfer
type (automatic, ASCII, binary) is chosen in the menu Connection, Transfer Type.</p>
<h3>Files</h3>
<p>The buttons above each pane make a directory, rename and delete; the menus and the
popup menus of both lists also sort, select, filter and change the case of names.</p>
</body></html>)";

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Quayside Pro Help"));
    m_text.setObjectName(QStringLiteral("HelpText"));
    m_text.setHtml(QString::fromUtf8(kHelpPage));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&m_text);
    resize(fontScaled(fontMetrics(), 560), fontScaled(fontMetrics(), 480));
}

void HelpWindow::showContext(int context) {
    m_text.scrollToAnchor(QStringLiteral("context%1").arg(context));
    show();
    raise();
}

}  // namespace quay
