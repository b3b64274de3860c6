#pragma once

#include <QHash>
#include <QIcon>
#include <QMimeDatabase>

#include "panes/pane_model.h"

namespace quay {

// The icon of each row of a file list, by the row's image index: the parent entry "go-up",
// directories and folders "folder", saved servers "network-server", files the icon of their
// MIME type. The type is found from the name alone, on both sides: no file is opened, and
// nothing is read from a server.
//
// Lists of 100,000 rows are painted a screen at a time, so each lookup is kept: the MIME type
// per name pattern (the name from its last dot on, or the whole name when it has no dot) and
// the icon per MIME type. The first name of a pattern decides for the rest, so "a.tar.gz"
// and "b.gz" share the gzip icon.
class FileIcons {
public:
    QIcon forItem(const PaneItem& item);
    QIcon forFileName(const QString& name);

private:
    QIcon forMimeType(const QMimeType& type);
    QIcon named(QIcon& kept, const char* name);

    // Names without a dot each make a pattern of their own; past this many the patterns are
    // forgotten and found again.
    static constexpr qsizetype kPatternLimit = 10000;

    QMimeDatabase m_mimeTypes;
    QHash<QString, QIcon> m_byPattern;
    QHash<QString, QIcon> m_byMimeType;
    QIcon m_up, m_folder, m_server;
};

}  // namespace quay
