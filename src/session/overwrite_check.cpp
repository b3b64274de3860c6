#include "session/overwrite_check.h"

#include "session/transfer_paths.h"

namespace quay {

namespace {

bool headConflicts(const TransferQueue& queue, const OverwriteTargets& targets) {
    return !queue.files.empty() && targets.exists(targets.pathOf(queue.files.front()));
}

bool resumable(const TransferQueue& queue, const OverwriteTargets& targets) {
    const TransferItem& file = queue.files.front();
    return !targets.canResume || targets.canResume(file, targets.pathOf(file));
}

void askUntilSettled(OverwriteDecision& state, TransferQueue& queue,
                     const OverwriteTargets& targets, Dialogs& dialogs) {
    while (headConflicts(queue, targets)) {
        const std::string target = targets.pathOf(queue.files.front());
        std::string newPath = target;
        switch (dialogs.askOverwrite(target, newPath)) {
            case Dialogs::Overwrite::Resume:
                if (!resumable(queue, targets))
                    break;
                state.resumeCurrent = true;
                return;
            case Dialogs::Overwrite::Overwrite:
                return;
            case Dialogs::Overwrite::All:
                state.overwriteAll = true;
                return;
            case Dialogs::Overwrite::Skip:
                takeFront(queue.files);
                break;
            case Dialogs::Overwrite::SaveAs:
                queue.files.front().savedAs = newPath;
                break;
            case Dialogs::Overwrite::Cancel:
                state.cancelAll = true;
                queue.clear();
                return;
        }
    }
}

}  // namespace

void checkOverwrite(OverwriteDecision& state, TransferQueue& queue, const OverwriteRules& rules,
                    const OverwriteTargets& targets, Dialogs& dialogs) {
    if (state.overwriteAll)
        return;
    state.resumeCurrent = false;
    state.cancelAll = false;
    if (rules.prompt) {
        askUntilSettled(state, queue, targets, dialogs);
    } else if (rules.defPrompt == 0) {
        while (headConflicts(queue, targets))
            takeFront(queue.files);
    } else if (rules.defPrompt == 2) {
        while (headConflicts(queue, targets) && !resumable(queue, targets))
            takeFront(queue.files);
        state.resumeCurrent = headConflicts(queue, targets);
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
