#pragma once

#include <string>
#include <vector>

namespace quay {

// What a local delete removes, as full paths: files (anything that is not a directory,
// symbolic links included) and directories, parents before their contents.
struct LocalDeletePlan {
    std::vector<std::string> files;
    std::vector<std::string> directories;
};

// Collects what deleting the given paths removes. A path that is a directory (not a link to
// one) is walked breadth-first: its files join the file list, its subdirectories the end of
// the directory list. A symbolic link is never followed, whatever it points to: it is a file
// of the plan, so deleting removes the link and leaves its target alone. Paths that no longer
// exist are dropped; an unreadable directory contributes itself only.
LocalDeletePlan planLocalDelete(const std::vector<std::string>& paths);

// Deletes the plan's files in order, then its directories from the last to the first, so that
// deeper directories go before their parents. Every path must lie below base (a directory
// ending in "/"); no link below base is followed on the way to an entry, so a directory
// replaced by a link since the plan was made stops the delete instead of reaching outside.
// Stops at the first failure and returns "<path>: <system error text>"; what was deleted
// stays deleted. Empty on success.
std::string executeLocalDelete(const LocalDeletePlan& plan, const std::string& base);

}  // namespace quay
