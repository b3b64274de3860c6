#include "ui/desktop_opener.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringDecoder>

namespace quay {

namespace {

// The desktop file id of the text editor, e.g. "org.gnome.TextEditor.desktop"; empty when
// xdg-mime is missing, slow or answers something else.
QString textEditorId() {
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty())
        return {};
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/plain")});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(1000);
        return {};
    }
    const QString id = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    const bool plainId = id.endsWith(QLatin1String(".desktop")) && !id.contains(QLatin1Char('/')) &&
                         !id.startsWith(QLatin1Char('-')) && !id.contains(QLatin1Char('\n'));
    return plainId ? id : QString();
}

bool installed(const char* program) {
    return !QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty();
}

}  // namespace

DesktopCommand desktopCommand(OpenPurpose purpose, const QString& path) {
    const DesktopCommand open{QStringLiteral("xdg-open"), {path}};
    if (purpose == OpenPurpose::Run)
        return open;
    const QString id = textEditorId();
    if (id.isEmpty())
        return open;
    if (installed("gtk-launch"))
        return {QStringLiteral("gtk-launch"), {id, path}};
    const QString file = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id);
    if (!file.isEmpty() && installed("gio"))
        return {QStringLiteral("gio"), {QStringLiteral("launch"), file, path}};
    return open;
}

bool openWithDesktop(OpenPurpose purpose, const std::string& path, const std::string& workingDir) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString name = utf8.decode(QByteArrayView(path.data(), qsizetype(path.size())));
    const QString dir =
        utf8.decode(QByteArrayView(workingDir.data(), qsizetype(workingDir.size())));
    if (utf8.hasError() || path.find('\0') != std::string::npos)
        return false;
    const DesktopCommand command = desktopCommand(purpose, name);
    return QProcess::startDetached(command.program, command.arguments, dir);
}

}  // namespace quay
