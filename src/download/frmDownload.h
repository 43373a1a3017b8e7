#pragma once

#include "download/DownloadJob.h"
#include "download/LibInfo.h"
#include "util/Shell.h"

#include <QDateTime>
#include <QDialog>
#include <memory>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace resources {
class AnimationWidget;
}

namespace download {

// The window of a download process: reads the entry folder's library information file, fetches
// the archive it names into that folder and closes, which ends the process. The transfer runs
// on a thread of its own while the window shows its progress ten times a second, so the window
// stays responsive; キャンセル(&C) (or closing the window) stops the transfer within a moment,
// keeps what arrived as the .part file for a later run, and closes the window.
class frmDownload final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmDownload)

public:
    explicit frmDownload(QWidget* parent = nullptr);
    ~frmDownload() override;

    // The entry folder, as given on the command line.
    void setPrtyDownFile(const QString& folder);
    // How the entry folder is opened after the run when OpenAfterDownload is 1 (the system's
    // file browser by default; tests record it).
    void setFolderOpener(util::UrlOpener opener);

    // Reads the library information file and fills the window. When the file cannot be read the
    // user is told and false is returned: the window is not to be shown.
    bool Load();
    // Load, then the modal run: Accepted only when the archive was fetched.
    int ShowModal();

    const LibInfo& info() const { return m_info; }
    // The running transfer (nullptr before the first activation); tests watch it.
    const DownloadJob* job() const { return m_job.get(); }

    // Cancels a running transfer, waits for it to stop, and closes.
    void reject() override;

private:
    // First activation: starts the transfer.
    void Activate();
    // The size and time texts and the bar, from the transfer's progress.
    void ShowProgress();
    // The transfer ended: the failure told, the folder opened when the settings ask, closed.
    void TransferEnded();

    QString m_downFile;
    LibInfo m_info;
    bool m_started = false;
    bool m_closing = false;
    util::UrlOpener m_openFolder;
    std::unique_ptr<DownloadJob> m_job;
    QDateTime m_startTime;
    QTimer* m_refresh;

    resources::AnimationWidget* m_animation; // picanimate
    QLabel* m_title;                         // lbl_get 0
    QLabel* m_sizeText;                      // lbl_get 1
    QLabel* m_timeText;                      // lbl_get 2
    QLineEdit* m_saveTo;                     // txt_get
    QProgressBar* m_bar;                     // prbar
    QPushButton* m_cancel;                   // cmd_cancel
};

} // namespace download
