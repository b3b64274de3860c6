#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quay {

// The mount points a user keeps files on, from the text of /proc/self/mountinfo, in its
// order, each once and ending in "/". Left out: "/" itself; pseudo and kernel file systems
// (proc, sysfs, cgroup, devpts, tmpfs under the system trees, ...); anything mounted under
// /proc, /sys, /dev, /etc (container bind mounts of single files), /snap, or /run except
// /run/media (where removable volumes appear). Octal escapes of the mount point ("\040" for
// a blank) are decoded. Malformed lines are skipped.
std::vector<std::string> userMountPoints(std::string_view mountinfo);

// The drive box's entries: "/", the home directory (when set and not "/"), then the mount
// points of /proc/self/mountinfo; each once, each ending in "/".
std::vector<std::string> localDrives(const std::string& home);

// The entry of drives (each ending in "/") that holds dir: the longest that is a prefix of
// dir; -1 when none is.
int driveIndexOf(const std::vector<std::string>& drives, const std::string& dir);

}  // namespace quay
