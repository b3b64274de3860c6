#include "session/overwrite_check.h"

#include "session/transfer_paths.h"

namespace quay {

namespace {

void dropHead(SessionState& state) {
    state.targetFiles.erase(state.targetFiles.begin());
    state.sourceFiles.erase(state.sourceFiles.begin());
}

bool headConflicts(const SessionState& state,
                   const std::function<bool(const std::string&)>& conflicts) {
    return !state.targetFiles.empty() && conflicts(state.targetFiles.front());
}

void askUntilSettled(SessionState& state, const std::function<bool(const std::string&)>& conflicts,
                     Dialogs& dialogs) {
    while (headConflicts(state, conflicts)) {
        std::string newPath = state.targetFiles.front();
        switch (dialogs.askOverwrite(state.targetFiles.front(), newPath)) {
            case Dialogs::Overwrite::Resume:
                state.resumeCurrent = true;
                return;
            case Dialogs::Overwrite::Overwrite:
                return;
            case Dialogs::Overwrite::All:
                state.overwriteAll = true;
                return;
            case Dialogs::Overwrite::Skip:
                dropHead(state);
                break;
            case Dialogs::Overwrite::SaveAs:
                state.targetFiles.front() = newPath;
                break;
            case Dialogs::Overwrite::Cancel:
                state.cancelAll = true;
                state.sourceFiles.clear();
                state.targetFiles.clear();
                state.sourceDirs.clear();
                state.targetDirs.clear();
                return;
        }
    }
}

}  // namespace

void checkOverwrite(SessionState& state, const OverwriteRules& rules,
                    const std::function<bool(const std::string&)>& conflicts, Dialogs& dialogs) {
    if (state.overwriteAll)
        return;
    state.resumeCurrent = false;
    state.cancelAll = false;
    if (rules.prompt) {
        askUntilSettled(state, conflicts, dialogs);
    } else if (rules.defPrompt == 0) {
        while (headConflicts(state, conflicts))
            dropHead(state);
    } else if (rules.defPrompt == 2) {
        state.resumeCurrent = headConflicts(state, conflicts);
    }
}

TypeChange transferTypeFor(int mode, const std::string& ext, const std::string& fileName,
                           bool binary) {
    if (mode == 0)
        return binary ? TypeChange::None : TypeChange::Binary;
    const std::string extension = fileExtension(fileName);
    if (extension.empty() || ext.find(extension) == std::string::npos)
        return TypeChange::Binary;
    if (mode == 1)
        return binary ? TypeChange::Ascii : TypeChange::None;
    return binary ? TypeChange::None : TypeChange::Binary;
}

}  // namespace quay
