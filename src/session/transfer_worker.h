#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "ftp/ftp_client.h"
#include "session/transfer_job.h"

namespace quay {

// What an extra connection copies from the session: the server, the log-in, the connection
// type with its proxy and SOCKS settings, passive mode, TLS, the time-out, and the certificate
// the user accepted for the session.
struct WorkerSettings {
    // The session's client, copied at the worker's start.
    const FtpClient* session = nullptr;
    int transferMode = 0;  // 0 automatic, 1 ASCII, 2 binary
    std::string ext;       // text-file extensions
};

// One extra connection of the transfer pool: its own client, logged in once, then carrying one
// file after another (TYPE as the file's name asks, then RETR or STOR, REST first when it
// resumes). It never walks a tree, enters a directory or joins a name: the pool hands it checked
// paths. Every line of its dialogue goes to Hooks::log.
//
// A file ends one of four ways: done (a download only once it holds the listed size), failed by
// the server or a local check (the connection stays), dropped (the connection closed or timed
// out, or its data connection broke mid-file or ended short: the file may be tried again; the
// connection stays when only the data connection broke), or stopped.
class TransferWorker {
public:
    enum class Outcome { Done, Failed, Dropped, Stopped };
    struct Hooks {
        std::function<void(const std::string& line)> log;
        // The log-in ended; error 0 when the worker is ready for files.
        std::function<void(TransferWorker& worker, int error)> loggedIn;
        // The file ended; reason says why when it did not succeed.
        std::function<void(TransferWorker& worker, Outcome outcome, const std::string& reason)>
            fileEnded;
        // The running file holds this many bytes.
        std::function<void(TransferWorker& worker, std::int64_t bytes)> progress;
    };

    TransferWorker(EventLoop& loop, int number, const WorkerSettings& settings, Hooks hooks);
    ~TransferWorker();
    TransferWorker(const TransferWorker&) = delete;
    TransferWorker& operator=(const TransferWorker&) = delete;

    // The connection's number in the log ("[2] ").
    int number() const { return m_number; }
    // Connects and logs in; Hooks::loggedIn follows.
    void start();
    // Carries job (copied; the pool keeps its own). The worker must be idle.
    void run(const TransferJob& job);
    // Aborts the running file at once (fileEnded with Stopped follows).
    void stop();
    // Says goodbye (QUIT) when connected; nothing follows.
    void quit();
    bool idle() const { return m_step == Step::Idle; }
    bool lost() const { return m_lost; }
    // The connection can carry no more files (closed, refused, or said goodbye) and waits for
    // no completion.
    bool gone() const {
        return m_step == Step::Gone || m_step == Step::Quit || (m_lost && m_step == Step::Idle);
    }
    int jobId() const { return m_job.id; }
    // The server took the running (or last) file's RETR or STOR, so its target holds that
    // file's bytes from the start: a later try may resume behind them.
    bool targetWritten() const { return m_targetWritten; }
    // Why the log-in or the last file failed: the server's reply.
    std::string reason() const;

private:
    enum class Step { Connecting, Idle, Type, Size, Transfer, Quit, Gone };

    void copySettings(const WorkerSettings& settings);
    void requestDone(FtpRequest request, int error);
    void connected(int error);
    void typed(int error);
    void sizeKnown(int error);
    void transferStart(const std::function<void()>& request);
    void noteAccepted();
    void transferred(FtpRequest request, int error);
    bool dataConnectionBroke() const;
    // The size check of a finished download: Done, or why not (reason) and how it ended.
    Outcome downloadChecked(bool resumed, std::string& reason) const;
    void end(Outcome outcome, const std::string& reason = {});
    // Ends the file when it was stopped or its request failed; true when it did.
    bool endedBy(int error);
    // The outcome of a failed request: dropped when the connection is gone.
    Outcome failure() const;

    int m_number;
    Hooks m_hooks;
    WorkerSettings m_settings;
    FtpClient m_ftp;
    Step m_step = Step::Connecting;
    TransferJob m_job;
    bool m_lost = false;
    bool m_stopped = false;
    bool m_targetWritten = false;
    std::string m_sessionFingerprint;
    std::chrono::steady_clock::time_point m_fileStart;
};

}  // namespace quay
