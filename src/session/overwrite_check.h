#pragma once

#include <functional>
#include <string>

#include "session/dialogs.h"
#include "session/transfer_queue.h"

namespace quay {

// How the overwrite question of one direction is settled: ask the user (prompt, the options'
// PromptDownLoad / PromptUpLoad) or apply defPrompt without asking (0 skip, 1 overwrite,
// 2 resume, anything else overwrite).
struct OverwriteRules {
    bool prompt = true;
    int defPrompt = 0;
};

// How the overwrite check sees the files of a batch: the path a file goes to (what the prompt
// names; "Save as" replaces it), whether something is there already, and whether the file can
// be resumed onto it (unset: always). canResume says why not in a "! " line.
struct OverwriteTargets {
    std::function<std::string(const TransferItem& file)> pathOf;
    std::function<bool(const std::string& path)> exists;
    std::function<bool(const TransferItem& file, const std::string& path)> canResume;
};

// The overwrite decision of a running batch.
struct OverwriteDecision {
    // "All": no later file of the batch is asked about.
    bool overwriteAll = false;
    // The next file is resumed.
    bool resumeCurrent = false;
    // "Cancel": the batch's queue was emptied.
    bool cancelAll = false;
};

// Applies the overwrite rules to the first file of queue: it conflicts when something exists
// at its target. Unless overwriteAll is set, resumeCurrent and cancelAll are reset first. The
// prompt's answers: Resume sets resumeCurrent, Overwrite keeps the file, All sets overwriteAll
// (for the rest of the batch), Skip drops the file and checks the next, Save as sets the
// file's savedAs to the path typed and checks it again, Cancel sets cancelAll and empties the
// queue. Resume onto a target that cannot be resumed (canResume) is asked again. Without
// prompting, defPrompt 0 drops every conflicting file, 2 resumes a conflicting one (one that
// cannot be resumed is dropped).
void checkOverwrite(OverwriteDecision& state, TransferQueue& queue, const OverwriteRules& rules,
                    const OverwriteTargets& targets, Dialogs& dialogs);

// The type change the next file needs, by the options' TransferMode and Ext (see
// transferTypeFor).
enum class TypeChange { None, Ascii, Binary };

// Mode 0 (automatic): binary unless already. Modes 1 and 2: a file whose extension does not
// occur as a substring of ext (a file without extension never does) goes binary, with TYPE I
// sent even when the client is binary already; with an extension that occurs, mode 1 goes
// ASCII (TYPE A unless already) and mode 2 binary (TYPE I unless already).
TypeChange transferTypeFor(int mode, const std::string& ext, const std::string& fileName,
                           bool binary);

}  // namespace quay
