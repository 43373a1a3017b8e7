#pragma once

#include "info/EntryAddresses.h"
#include "site/FetchObserver.h"
#include "update/UpdateRun.h"

#include <QString>

namespace mainwindow {

class frmMain;

// What an update run tells the main window: its lines go to status bar panel 1, the analysed
// share of a list page to panel 2, and the toolbar animation moves on while the work holds the
// event loop.
class RunStatus final : public update::RunObserver
{
public:
    explicit RunStatus(frmMain* window) : m_window(window) {}
    void statusText(const QString& text) override;
    void progressText(const QString& text) override;
    void percentAnalysed(int) override { tick(); }
    void folderStarted(const QString&) override { tick(); }

private:
    void tick();
    frmMain* m_window;
};

// The page fetcher's progress in panel 2 ("N バイト読み込み済み") while the main window or the
// update window is the active one; installed for the life of the main window.
class FetchStatus final : public site::FetchObserver
{
public:
    explicit FetchStatus(frmMain* window);
    ~FetchStatus() override;
    FetchStatus(const FetchStatus&) = delete;
    FetchStatus& operator=(const FetchStatus&) = delete;

    void bytesRead(qint64 total) override;
    void finished() override;

private:
    bool showsProgress() const;
    frmMain* m_window;
    site::FetchObserver* m_previous;
};

// A detail lookup's line in panel 1 (the text shown before comes back afterwards, and the
// selection counts in panel 2), the wait cursor and the toolbar animation while it reads.
class LookupStatus final : public info::LookupObserver
{
public:
    explicit LookupStatus(frmMain* window) : m_window(window) {}
    void statusText(const QString& text) override;
    void waiting(bool on) override;

private:
    frmMain* m_window;
    QString m_before;
    bool m_saved = false;
};

} // namespace mainwindow
