#pragma once

#include "download/LibInfo.h"

#include <QString>
#include <atomic>

// The transfer of one archive into its entry folder: streamed into "<file>.part" as the bytes
// arrive, renamed to the archive's own name only once it is complete, continued with a Range
// request when an earlier run left a .part file.
namespace download {

inline const QString kPartSuffix = QStringLiteral(".part");
// Title of every message about a failed transfer.
inline const QString kTransferErrorTitle = QStringLiteral("ダウンロードエラー");

enum class TransferResult { Complete, Cancelled, Failed };

struct TransferOutcome
{
    TransferResult result = TransferResult::Failed;
    // For a failure: what the user is told (lines joined with CR LF); empty otherwise.
    QString message;
    qint64 received = 0;    // bytes of the archive on disk (in the .part file unless complete)
    qint64 total = -1;      // the archive's length, when the server told it
    qint64 resumedFrom = 0; // bytes an earlier run had left, continued by this one
    int status = 0;         // the HTTP status of the last answer; 0 without one
};

// What a transfer and whoever watches it share, from any threads: the watcher reads the
// progress and may ask for a cancel, which the transfer heeds within a tenth of a second.
class TransferControl
{
public:
    void cancel() { m_cancel = true; }
    bool cancelled() const { return m_cancel; }

    qint64 received() const { return m_received; }
    // -1 until the server has told the archive's length (and when it never does).
    qint64 total() const { return m_total; }
    qint64 resumedFrom() const { return m_resumedFrom; }

    // Written by the transfer.
    void begin(qint64 resumedFrom, qint64 total)
    {
        m_resumedFrom = resumedFrom;
        m_received = resumedFrom;
        m_total = total;
    }
    void setReceived(qint64 bytes) { m_received = bytes; }

private:
    std::atomic<bool> m_cancel{false};
    std::atomic<qint64> m_received{0};
    std::atomic<qint64> m_total{-1};
    std::atomic<qint64> m_resumedFrom{0};
};

// Fetches info.remoteAddress into info.localFile with the proxy, user agent and time-out of the
// settings. Only http and https addresses are fetched; nothing is written for any other, nor
// when info.localFile is empty. Opening the address is tried up to five times, a second apart.
// A transfer that ends short of the announced length, breaks off, or is answered with an error
// status fails, and the bytes received stay in the .part file for the next run. An empty
// archive is a failure too. Blocks until done, cancelled or failed; any thread may run it.
TransferOutcome TransferArchive(const LibInfo& info, TransferControl& control);

// Tests shorten the pause between open attempts; a negative value restores the second.
void SetOpenRetryPauseForTests(int ms);

} // namespace download
