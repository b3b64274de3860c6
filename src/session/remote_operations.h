#pragma once

#include <functional>
#include <string>

#include "session/presentation_model.h"

namespace quay {

// What the remote file operations (make directory, rename, change case, delete, compare
// directories) share.

// The row image of the ".." entry.
constexpr int kUpImage = 0;

// Whether name may be sent as an entry of the current directory: not empty, ".", ".." and
// without "/" or NUL. The others are named in one "! " line through log.
bool acceptEntryName(const std::string& name, const std::function<void(const std::string&)>& log);

// The name "UPPER CASE" (tag 0), "lower case" (1) or "As sentence" (2) gives to name; only
// the letters A to Z change.
std::string changeCase(const std::string& name, int tag);

// Whether the remote pane lists newName for another entry than the row oldName: a rename to
// it would replace that entry (servers do so silently). A case-only change of the same entry
// is no collision.
bool namesAnotherEntry(const PaneModel& pane, const std::string& oldName,
                       const std::string& newName);

// Part of a remote path: the parent (without a trailing "/", cut before the last "/"; empty
// without "/") and the last component.
std::string parentPath(const std::string& path);
std::string lastPathPart(const std::string& path);

// Selects in both panes exactly the rows without a partner of the same name and size in the
// other pane. Sends nothing.
void compareDirectories(PresentationModel& model);

}  // namespace quay
