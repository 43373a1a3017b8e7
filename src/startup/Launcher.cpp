#include "startup/Launcher.h"

#include "config/Settings.h"
#include "download/frmDownload.h"
#include "mainwindow/frmMain.h"
#include "startup/StepGuard.h"
#include "startup/frmDownloadFolder.h"
#include "update/RunState.h"
#include "update/frmLibUpdate.h"
#include "util/Messages.h"
#include "util/ProgramFolder.h"
#include "util/Trace.h"

#include <QDialog>
#include <QLockFile>

namespace startup {

Launcher::Launcher() = default;

Launcher::~Launcher() = default;

QString Launcher::LockFilePath()
{
    return programfolder::ProgramFolder() + QStringLiteral("/Pelimond.lock");
}

StartPath Launcher::Start(const QString& commandLine)
{
    RunStep([] { config::LoadSettings(); });
    if (!commandLine.isEmpty()) {
        m_exitCode = 1;
        RunStep([&] { RunDownload(commandLine); });
        return StartPath::Download;
    }
    bool refused = false;
    RunStep([&] { refused = AnotherInstanceRunning(); });
    if (refused) {
        m_exitCode = 1;
        RunStep([&] { RefuseSecondInstance(); });
        return StartPath::Refused;
    }
    if (config::settings().FirstBoot == 1) {
        RunStep([&] { ShowFirstStartWindow(); });
        return StartPath::FirstStart;
    }
    RunStep([&] { ShowMainWindow(); });
    return StartPath::Interactive;
}

bool Launcher::windowOpen() const
{
    return (m_main && m_main->isVisible()) || (m_firstStart && m_firstStart->isVisible());
}

void Launcher::setOnMainWindowClosed(std::function<void()> handler)
{
    m_onMainClosed = std::move(handler);
}

void Launcher::RunDownload(const QString& folder)
{
    download::frmDownload window;
    window.setPrtyDownFile(folder);
    m_exitCode = window.ShowModal() == QDialog::Accepted ? 0 : 1;
}

// The lock is held for the life of the interactive instance. A lock left by a crashed instance is
// recognised by its dead process and taken over; only a lock that another running instance holds
// refuses the start. A program folder where no lock can be made at all refuses nothing.
bool Launcher::AnotherInstanceRunning()
{
    auto lock = std::make_unique<QLockFile>(LockFilePath());
    if (lock->tryLock(0)) {
        m_lock = std::move(lock);
        return false;
    }
    return lock->error() == QLockFile::LockFailedError;
}

void Launcher::RefuseSecondInstance()
{
    util::TraceIfDebug(QStringLiteral("二重起動エラー"));
    msg::Show(QStringLiteral("同じ処理がこのコンピュータで既に動作中です。\r\n"
                             "処理を終了させてから、起動してください。\r\n\r\n"),
              QStringLiteral("起動"), msg::Icon::Stop);
}

void Launcher::ShowFirstStartWindow()
{
    m_firstStart = std::make_unique<frmDownloadFolder>();
    QObject::connect(m_firstStart.get(), &frmDownloadFolder::unloaded, m_firstStart.get(),
                     [this] { ShowMainWindow(); });
    m_firstStart->show();
}

void Launcher::ShowMainWindow()
{
    if (!m_main) {
        m_main = std::make_unique<mainwindow::frmMain>();
        m_main->setUpdateWindowRunner([](QWidget* owner, update::RunObserver* statusBar) {
            ShowUpdateWindow(owner, update::runState().UpdateTargetUrl, statusBar);
        });
        QObject::connect(m_main.get(), &mainwindow::frmMain::unloaded, m_main.get(), [this] {
            if (m_onMainClosed)
                m_onMainClosed();
        });
    }
    m_main->show();
}

} // namespace startup
