#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "session/listing_operation.h"

namespace quay {

// Renames entries of the remote directory: one row under a name the user types (rename), or
// every selected row under its name in another letter case (change case). The wire dialogue:
// RNFR and RNTO for each name, then TYPE A and LIST into the pane. A refused rename ends the
// batch with an "Error" line. A new name that the pane lists for another entry is refused
// before anything is sent (the server would replace that entry), with a "! " line; the
// rename prompt also says so in a message. Stop ends the batch after the running rename,
// then the directory is listed.
class RenameOperation : public ListingOperation {
public:
    // The rename prompt for the first selected row, then its rename.
    static std::unique_ptr<Operation> rename(SessionController& session);
    // tag 0 "UPPER CASE", 1 "lower case", 2 "As sentence" for every selected row but "..".
    static std::unique_ptr<Operation> changeCase(SessionController& session, int tag);

    void start() override;
    void requestDone(FtpRequest request, int error) override;
    void stop() override;

private:
    RenameOperation(SessionController& session, std::string name, int caseTag);
    // The prompt; false when nothing is to be renamed.
    bool askNewName();
    bool queueCaseChanges();
    // Whether oldName may take newName; logs the refusal.
    bool acceptNewName(const std::string& oldName, const std::string& newName);
    void renameNext();

    // The letter case of change case; -1 for the prompt.
    int m_caseTag;
    // Old and new names still to rename, in order.
    std::vector<std::pair<std::string, std::string>> m_renames;
    bool m_renameRunning = false;
    bool m_stopRequested = false;
};

}  // namespace quay
