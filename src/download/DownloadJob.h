#pragma once

#include "download/LibInfo.h"
#include "download/Transfer.h"

#include <QObject>
#include <memory>

class QThread;

namespace download {

// One transfer run on a thread of its own, so that whoever started it (the download window,
// the command-line companion) stays free: it watches control() and learns the end from
// finished() or wait(). A job is started once; going away, it cancels the transfer and waits
// for its thread.
class DownloadJob final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DownloadJob)

public:
    explicit DownloadJob(const LibInfo& info, QObject* parent = nullptr);
    ~DownloadJob() override;

    void start();
    // Asks the transfer to stop; it does within a tenth of a second, keeping the .part file.
    void cancel();
    // Waits at most ms milliseconds for the transfer to end; true once it has (or never began).
    bool wait(int ms);
    bool isRunning() const;

    const TransferControl& control() const { return m_control; }
    // What the transfer came to; meaningful once it has ended.
    const TransferOutcome& outcome() const { return m_outcome; }

signals:
    // The transfer has ended (delivered through the event loop of the job's thread).
    void finished();

private:
    LibInfo m_info;
    TransferControl m_control;
    TransferOutcome m_outcome;
    std::unique_ptr<QThread> m_thread;
};

// What RunEntryDownload tells its caller while it runs.
class DownloadObserver
{
public:
    virtual ~DownloadObserver() = default;
    // The library information file was read; the transfer begins.
    virtual void started(const LibInfo& info) { Q_UNUSED(info); }
    // About four times a second: the bytes on disk, the archive's length (-1 while unknown)
    // and the bytes an earlier run had left.
    virtual void progress(qint64 received, qint64 total, qint64 resumedFrom)
    {
        Q_UNUSED(received);
        Q_UNUSED(total);
        Q_UNUSED(resumedFrom);
    }
    // Asked as often: true stops the transfer (the .part file stays for the next run).
    virtual bool cancelRequested() const { return false; }
};

// The whole download of a prepared entry folder without windows: reads its library
// information file and fetches the archive it names into the folder, blocking until done.
// Failures are told through the message facade with the download window's texts (an
// unreadable file: "ダウンロード情報ファイルが正常に読み込めませんでした。"). observer may be
// nullptr.
TransferOutcome RunEntryDownload(const QString& entryFolder, DownloadObserver* observer);

// Tells the user about a failed transfer (nothing for any other outcome).
void ShowTransferFailure(const TransferOutcome& outcome);
// Tells the user that the entry folder's library information file cannot be read.
void ShowLibInfoReadError();

} // namespace download
