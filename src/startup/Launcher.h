#pragma once

#include <QString>
#include <functional>
#include <memory>

class QLockFile;

namespace mainwindow {
class frmMain;
}

namespace startup {

class frmDownloadFolder;

// The path one start of the program takes.
enum class StartPath { Download, Refused, FirstStart, Interactive };

// One start of the program: loads the settings and definitions, takes the path the command line
// and the settings ask for, and owns what that path opened (the instance lock, the windows) for
// the life of the process.
class Launcher final
{
public:
    Launcher();
    ~Launcher();
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    // commandLine is the whole argument text; non-empty means the download mode, which runs the
    // modal download window to its end before returning.
    StartPath Start(const QString& commandLine);

    // The process's exit code for the paths that end at once (download, refusal).
    int exitCode() const { return m_exitCode; }
    // True while a window of the interactive start is open (the event loop then has work).
    bool windowOpen() const;
    // Called when the main window closes; the program's entry ends the event loop there.
    void setOnMainWindowClosed(std::function<void()> handler);

    mainwindow::frmMain* mainWindow() const { return m_main.get(); }
    frmDownloadFolder* firstStartWindow() const { return m_firstStart.get(); }

    // The file in the program folder whose lock marks the running interactive instance.
    static QString LockFilePath();

private:
    void RunDownload(const QString& folder);
    bool AnotherInstanceRunning();
    void RefuseSecondInstance();
    void ShowFirstStartWindow();
    void ShowMainWindow();

    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<frmDownloadFolder> m_firstStart;
    std::unique_ptr<mainwindow::frmMain> m_main;
    std::function<void()> m_onMainClosed;
    int m_exitCode = 0;
};

} // namespace startup
