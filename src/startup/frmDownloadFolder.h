#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace startup {

// The first-start window: asks once for the folder that receives downloaded libraries.
// Modeless; whenever it closes (set button, close box, Esc) the main window follows it.
class frmDownloadFolder final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmDownloadFolder)

public:
    explicit frmDownloadFolder(QWidget* parent = nullptr);

    // Every way of closing a dialog passes here, the close box included.
    void done(int result) override;

signals:
    void unloaded();

private:
    void BrowseForFolder();
    void SetFolder();

    QLabel* m_message;
    QLineEdit* m_inp;
    QPushButton* m_ref;
    QPushButton* m_set;
};

} // namespace startup
