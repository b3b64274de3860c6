#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string_view>
#include <system_error>

namespace quay {

// Replaces the file at path with content so that, whatever happens meanwhile (a crash, a full
// disk, a second instance reading), the file holds either the old or the new content in full:
// the content goes to a new file beside it, created with the given mode, is flushed to disk
// and is then renamed over path; the directory is flushed after the rename. When path is a
// symbolic link, the file it points to is replaced and the link stays.
//
// Files holding passwords (options, server lists) are written with 0600. Returns false and
// sets *error (when given) if anything fails; the old file is then untouched and no
// temporary file is left behind.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view content, mode_t mode,
                         std::error_code* error = nullptr);

}  // namespace quay
