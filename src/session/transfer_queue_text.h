#pragma once

#include <string>

#include "session/dialogs.h"
#include "session/transfer_job.h"
#include "session/transfer_pool.h"

namespace quay {

// The texts of the queue pane: a file's state ("waiting", "running 45% 1.234 K/sec", "done",
// "failed: <reason>") and a batch's totals ("3 of 10 files done, 1 failed; 4096 of 81920
// bytes"), in the language the dialogs speak.
std::string jobStateText(const TransferJob& job, const Dialogs& dialogs);
std::string totalsText(const TransferPool::Totals& totals, const Dialogs& dialogs);

}  // namespace quay
