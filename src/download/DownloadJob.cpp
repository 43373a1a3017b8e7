#include "download/DownloadJob.h"

#include "util/Messages.h"

#include <QThread>

namespace download {

namespace {

constexpr int kProgressMs = 250;

} // namespace

DownloadJob::DownloadJob(const LibInfo& info, QObject* parent) : QObject(parent), m_info(info) {}

DownloadJob::~DownloadJob()
{
    cancel();
    if (m_thread)
        m_thread->wait();
}

void DownloadJob::start()
{
    if (m_thread)
        return;
    m_thread.reset(QThread::create([this] { m_outcome = TransferArchive(m_info, m_control); }));
    m_thread->setObjectName(QStringLiteral("download"));
    connect(m_thread.get(), &QThread::finished, this, &DownloadJob::finished);
    m_thread->start();
}

void DownloadJob::cancel()
{
    m_control.cancel();
}

bool DownloadJob::wait(int ms)
{
    return !m_thread || m_thread->wait(QDeadlineTimer(ms));
}

bool DownloadJob::isRunning() const
{
    return m_thread && m_thread->isRunning();
}

void ShowTransferFailure(const TransferOutcome& outcome)
{
    if (outcome.result == TransferResult::Failed)
        msg::Show(outcome.message, kTransferErrorTitle, msg::Icon::Stop);
}

void ShowLibInfoReadError()
{
    msg::Show(QStringLiteral("ダウンロード情報ファイルが正常に読み込めませんでした。"),
              QStringLiteral("読み込みエラー"), msg::Icon::Stop);
}

TransferOutcome RunEntryDownload(const QString& entryFolder, DownloadObserver* observer)
{
    LibInfo info;
    if (!ReadLibInfo(entryFolder, &info)) {
        ShowLibInfoReadError();
        TransferOutcome outcome;
        outcome.message = QStringLiteral("ダウンロード情報ファイルが正常に読み込めませんでした。");
        return outcome;
    }
    if (observer)
        observer->started(info);
    DownloadJob job(info);
    job.start();
    for (;;) {
        const bool ended = job.wait(kProgressMs);
        if (observer) {
            const TransferControl& c = job.control();
            observer->progress(c.received(), c.total(), c.resumedFrom());
            if (!ended && observer->cancelRequested())
                job.cancel();
        }
        if (ended)
            break;
    }
    ShowTransferFailure(job.outcome());
    return job.outcome();
}

} // namespace download
