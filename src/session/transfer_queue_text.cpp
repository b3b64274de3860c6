#include "session/transfer_queue_text.h"

#include "session/progress_model.h"

namespace quay {

std::string jobStateText(const TransferJob& job, const Dialogs& dialogs) {
    switch (job.state) {
        case TransferJob::State::Waiting:
            return dialogs.text(Message::QueueWaiting);
        case TransferJob::State::Running: {
            std::string progress;
            if (job.size > 0) {
                progress += std::to_string(job.done * 100 / job.size);
                progress += "% ";
            }
            progress += ProgressModel::formatRate(static_cast<std::int64_t>(job.rate));
            return dialogs.text(Message::QueueRunning, {progress});
        }
        case TransferJob::State::Done:
            return dialogs.text(Message::QueueDone);
        case TransferJob::State::Failed:
            return dialogs.text(Message::QueueFailed, {job.reason});
    }
    return {};
}

std::string totalsText(const TransferPool::Totals& totals, const Dialogs& dialogs) {
    return dialogs.text(Message::QueueTotals,
                        {std::to_string(totals.filesDone), std::to_string(totals.files),
                         std::to_string(totals.filesFailed), std::to_string(totals.bytesDone),
                         std::to_string(totals.bytes)});
}

}  // namespace quay
