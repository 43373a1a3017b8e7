#include "startup/Main.h"

#include "config/Settings.h"
#include "download/PrepareDownload.h"
#include "resources/Icons.h"
#include "startup/CommandLine.h"
#include "startup/Launcher.h"
#include "startup/QtTranslations.h"
#include "startup/UserFolder.h"
#include "update/RunState.h"
#include "util/ProgramFolder.h"
#include "util/QtMessageSink.h"

#include <QApplication>

namespace startup {

int Main(int argc, char** argv)
{
    const CommandLine commandLine = ParseCommandLine(ArgumentsOf(argc, argv));
    int exitCode = 0;
    if (AnswerOption(commandLine, &exitCode))
        return exitCode;

    // A download process works on the program folder of the process that started it.
    const QString handedOn = qEnvironmentVariable(qPrintable(download::kProgramFolderVariable));
    const bool folderHandedOn = !commandLine.text.isEmpty() && !handedOn.isEmpty();
    if (folderHandedOn)
        programfolder::SetProgramFolder(handedOn);
    update::runState().UpdateInProgress = false;
    // Qt sees the program name only: everything after it belongs to the program (the entry
    // folder of a download), even a piece of a path that looks like a Qt option.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(config::kAppTitle);
    // The installed desktop entry: docks and task bars show its name and icon for the windows.
    QApplication::setDesktopFileName(QStringLiteral("example.talvex.Pelimond"));
    // Every window, the first-start window and message boxes included, shows the program's icon.
    QApplication::setWindowIcon(resources::ProgramIcon());
    InstallQtTranslations(app);
    msg::QtMessageSink sink;
    msg::Install(&sink);
    // An installed copy works on the user's own program folder, made ready here.
    if (!folderHandedOn && !PrepareProgramFolder(QCoreApplication::applicationDirPath())) {
        msg::Install(nullptr);
        return 1;
    }

    Launcher launcher;
    launcher.setOnMainWindowClosed([] { QCoreApplication::quit(); });
    const StartPath path = launcher.Start(commandLine.text);
    exitCode = launcher.exitCode();
    const bool interactive = path == StartPath::FirstStart || path == StartPath::Interactive;
    if (interactive && launcher.windowOpen())
        exitCode = QApplication::exec();
    msg::Install(nullptr);
    return exitCode;
}

} // namespace startup
