#pragma once

#include "download/LibInfo.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace download {

// The window of a download process: reads the entry folder's library information file, fetches
// the archive it names into that folder and closes, which ends the process.
class frmDownload final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmDownload)

public:
    explicit frmDownload(QWidget* parent = nullptr);

    // The entry folder, as given on the command line.
    void setPrtyDownFile(const QString& folder);

    // Reads the library information file and fills the window. When the file cannot be read the
    // user is told and false is returned: the window is not to be shown.
    bool Load();
    // Load, then the modal run: Accepted only when the archive was fetched.
    int ShowModal();

    const LibInfo& info() const { return m_info; }

private:
    // First activation: the transfer, then the optional opening of the entry folder, then close.
    void Activate();
    // The transfer of the archive into info().localFile. It is not available in this build, so
    // it fetches nothing and reports the failure.
    bool RunTransfer();

    QString m_downFile;
    LibInfo m_info;
    bool m_started = false;

    QLabel* m_title;     // lbl_get 0
    QLabel* m_sizeText;  // lbl_get 1
    QLabel* m_timeText;  // lbl_get 2
    QLineEdit* m_saveTo; // txt_get
    QProgressBar* m_bar; // prbar
    QPushButton* m_cancel;
};

} // namespace download
