#include "mainwindow/frmMain.h"

#include <QCloseEvent>
#include <QScreen>

namespace mainwindow {

namespace {

// Without a stored position the window takes a share of the screen it opens on.
QSize defaultSize(const QScreen* screen)
{
    const QSize wanted(960, 640);
    if (!screen)
        return wanted;
    const QSize available = screen->availableGeometry().size();
    return wanted.boundedTo(available * 9 / 10);
}

} // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Talvex File Navigator - Pelimond"));
    resize(defaultSize(screen()));
}

void frmMain::closeEvent(QCloseEvent* event)
{
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        emit unloaded();
}

} // namespace mainwindow
