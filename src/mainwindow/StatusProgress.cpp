#include "mainwindow/StatusProgress.h"

#include "mainwindow/frmMain.h"
#include "resources/AnimationWidget.h"

#include <QApplication>

namespace mainwindow {

void RunStatus::statusText(const QString& text)
{
    m_window->SetStatusText(1, text);
    tick();
}

void RunStatus::progressText(const QString& text)
{
    m_window->SetStatusText(2, text);
}

void RunStatus::tick()
{
    m_window->picanimate()->advance();
    m_window->picanimate()->repaint();
}

FetchStatus::FetchStatus(frmMain* window)
    : m_window(window), m_previous(site::SetFetchObserver(this))
{}

FetchStatus::~FetchStatus()
{
    site::SetFetchObserver(m_previous);
}

bool FetchStatus::showsProgress() const
{
    const QWidget* active = QApplication::activeWindow();
    return active == m_window || (active && active->objectName() == QStringLiteral("frmLibUpdate"));
}

void FetchStatus::bytesRead(qint64 total)
{
    if (showsProgress())
        m_window->SetStatusText(2, QString::number(total) + QStringLiteral("バイト読み込み済み"));
}

void FetchStatus::finished()
{
    if (showsProgress())
        m_window->SetStatusText(2, QString());
}

void LookupStatus::statusText(const QString& text)
{
    if (!m_saved) {
        m_before = m_window->StatusText(1);
        m_saved = true;
    }
    m_window->SetStatusText(1, text.isEmpty() ? m_before : text);
}

void LookupStatus::waiting(bool on)
{
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
    m_window->ShowBusy(on);
    // The page's read cleared the selection counts of panel 2.
    if (!on)
        m_window->UpdateStatus();
}

} // namespace mainwindow
