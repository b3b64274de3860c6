#include "session/transfer_queue_text.h"

#include "session/progress_model.h"

namespace quay {

std::string jobStateText(const TransferJob& job) {
    switch (job.state) {
        case TransferJob::State::Waiting:
            return "waiting";
        case TransferJob::State::Running: {
            // Appended piece by piece: GCC 12 takes " " + std::to_string(n) for an overlapping
            // copy.
            std::string text = "running ";
            if (job.size > 0) {
                text += std::to_string(job.done * 100 / job.size);
                text += "% ";
            }
            text += ProgressModel::formatRate(static_cast<std::int64_t>(job.rate));
            return text;
        }
        case TransferJob::State::Done:
            return "done";
        case TransferJob::State::Failed:
            return "failed: " + job.reason;
    }
    return {};
}

std::string totalsText(const TransferPool::Totals& totals) {
    std::string text = std::to_string(totals.filesDone);
    text += " of ";
    text += std::to_string(totals.files);
    text += " files done, ";
    text += std::to_string(totals.filesFailed);
    text += " failed; ";
    text += std::to_string(totals.bytesDone);
    text += " of ";
    text += std::to_string(totals.bytes);
    text += " bytes";
    return text;
}

}  // namespace quay
