#pragma once

#include <QMainWindow>

class QCloseEvent;

namespace mainwindow {

// The main window: the folder tree and the software list of the catalogue. Closing it ends
// the program.
class frmMain final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmMain)

public:
    explicit frmMain(QWidget* parent = nullptr);

signals:
    // The window has closed; the program ends here.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace mainwindow
