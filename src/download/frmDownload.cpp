#include "download/frmDownload.h"

#include "config/Settings.h"
#include "download/DownloadTexts.h"
#include "resources/AnimationWidget.h"
#include "resources/IconNames.h"
#include "util/Messages.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace download {

namespace {

constexpr int kRefreshMs = 100;
constexpr int kCancelWaitMs = 2000; // a cancelled transfer stops within 0.1 s; this is a bound

QLabel* captionLabel(const QString& text, int index, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("Label1_") + QString::number(index));
    return label;
}

QLabel* valueLabel(int index, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("lbl_get_") + QString::number(index));
    return label;
}

// The folder always goes to the system's file browser, never to the browser of the settings.
void openInFileBrowser(const QString& folder)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

} // namespace

frmDownload::frmDownload(QWidget* parent)
    : QDialog(parent), m_openFolder(openInFileBrowser), m_refresh(new QTimer(this)),
      m_animation(new resources::AnimationWidget(resources::DownloadAnimation, this)),
      m_title(valueLabel(0, this)), m_sizeText(valueLabel(1, this)),
      m_timeText(valueLabel(2, this)), m_saveTo(new QLineEdit(this)), m_bar(new QProgressBar(this)),
      m_cancel(new QPushButton(QStringLiteral("キャンセル(&C)"), this))
{
    setObjectName(QStringLiteral("frmDownload"));
    setWindowTitle(QStringLiteral("ライブラリをダウンロード中..."));
    m_animation->setObjectName(QStringLiteral("picanimate"));
    m_title->setText(QStringLiteral("ライブラリをダウンロードしています。"));
    m_title->setWordWrap(true);
    m_saveTo->setObjectName(QStringLiteral("txt_get"));
    m_saveTo->setReadOnly(true);
    m_saveTo->setMinimumWidth(m_saveTo->fontMetrics().averageCharWidth() * 64);
    m_bar->setObjectName(QStringLiteral("prbar"));
    m_bar->setTextVisible(false);
    m_bar->setRange(0, 1);
    m_bar->setValue(0);
    m_cancel->setObjectName(QStringLiteral("cmd_cancel"));
    m_cancel->setDefault(true);
    m_refresh->setInterval(kRefreshMs);

    auto* grid = new QGridLayout;
    grid->addWidget(captionLabel(QStringLiteral("ダウンロードサイズ : "), 0, this), 0, 0);
    grid->addWidget(m_sizeText, 0, 1);
    grid->addWidget(captionLabel(QStringLiteral("推定残り時間 : "), 1, this), 1, 0);
    grid->addWidget(m_timeText, 1, 1);
    grid->addWidget(captionLabel(QStringLiteral("保存先: "), 2, this), 2, 0);
    grid->addWidget(m_saveTo, 2, 1);
    grid->setColumnStretch(1, 1);
    auto* top = new QHBoxLayout;
    top->addWidget(m_animation, 0, Qt::AlignTop);
    top->addWidget(m_title, 1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_bar);
    layout->addLayout(grid);
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_cancel, &QPushButton::clicked, this, &frmDownload::reject);
    connect(m_refresh, &QTimer::timeout, this, &frmDownload::ShowProgress);
}

frmDownload::~frmDownload() = default;

void frmDownload::setPrtyDownFile(const QString& folder)
{
    m_downFile = folder;
}

void frmDownload::setFolderOpener(util::UrlOpener opener)
{
    m_openFolder = std::move(opener);
}

bool frmDownload::Load()
{
    if (!ReadLibInfo(m_downFile, &m_info)) {
        ShowLibInfoReadError();
        return false;
    }
    const QString title = m_info.name + QStringLiteral("をダウンロード中です...");
    setWindowTitle(title);
    m_title->setText(title);
    m_saveTo->setText(m_info.localFile);
    m_saveTo->setToolTip(m_info.localFile); // a long path is cut in the field
    m_saveTo->setCursorPosition(0);
    m_sizeText->setText(SizeText(0, m_info.expectedSize));
    m_started = false;
    m_animation->start();
    return true;
}

int frmDownload::ShowModal()
{
    if (!Load())
        return QDialog::Rejected;
    QTimer::singleShot(0, this, &frmDownload::Activate);
    return exec();
}

void frmDownload::Activate()
{
    if (m_started || m_closing)
        return;
    m_started = true;
    repaint();
    m_job = std::make_unique<DownloadJob>(m_info);
    connect(m_job.get(), &DownloadJob::finished, this, &frmDownload::TransferEnded);
    m_startTime = QDateTime::currentDateTimeUtc();
    m_job->start();
    m_refresh->start();
}

void frmDownload::ShowProgress()
{
    if (!m_job)
        return;
    const TransferControl& c = m_job->control();
    const qint64 received = c.received();
    // The bar's maximum is the archive's length when the server told it, else the size of the
    // library information file. Once more arrives than expected, the display stays as it was.
    const qint64 maximum = c.total() >= 0 ? c.total() : m_info.expectedSize;
    if (received > maximum)
        return;
    const BarScale scale = BarScaleFor(maximum);
    if (m_bar->maximum() != scale.maximum)
        m_bar->setRange(0, qMax(1, scale.maximum));
    m_bar->setValue(scale.value(received));
    m_sizeText->setText(SizeText(received, maximum));
    const double elapsed = ElapsedSeconds(m_startTime, QDateTime::currentDateTimeUtc());
    m_timeText->setText(
        RemainingTimeText(RemainingSeconds(received, maximum, c.resumedFrom(), elapsed)));
}

void frmDownload::TransferEnded()
{
    if (m_closing)
        return;
    m_refresh->stop();
    ShowProgress();
    const TransferOutcome& outcome = m_job->outcome();
    m_animation->stop();
    if (outcome.result == TransferResult::Cancelled) {
        QDialog::reject();
        return;
    }
    ShowTransferFailure(outcome);
    m_bar->setValue(0);
    // Opened after a failed transfer too: what arrived is there.
    if (config::settings().OpenAfterDownload == 1 && m_openFolder)
        m_openFolder(m_info.folder);
    m_closing = true;
    done(outcome.result == TransferResult::Complete ? QDialog::Accepted : QDialog::Rejected);
}

void frmDownload::reject()
{
    if (m_closing)
        return;
    if (m_job && !m_job->isRunning()) { // it ended before its news arrived: as it ended
        TransferEnded();
        return;
    }
    m_closing = true;
    m_refresh->stop();
    if (m_job && m_job->isRunning()) {
        m_job->cancel();
        m_job->wait(kCancelWaitMs);
    }
    m_animation->stop();
    QDialog::reject();
}

} // namespace download
