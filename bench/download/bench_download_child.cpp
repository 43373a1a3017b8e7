// One download of a prepared entry folder without the window, through the proxy at
// 127.0.0.1:PORT: the transfer as the download process runs it, in a process of its own so that
// the benchmark can measure its memory.
//
//   bench_download_child ENTRY_FOLDER PORT
#include "config/Settings.h"
#include "download/DownloadJob.h"
#include "util/Messages.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3)
        return 2;
    config::Settings& s = config::settings();
    s.Proxy = 2;
    s.ProxyName = QStringLiteral("127.0.0.1");
    s.ProxyPort = args[2].toInt();
    s.TimeOut = 30;
    s.UserAgent = config::ProgramVersionText();
    msg::StderrSink messages;
    msg::Install(&messages);
    const download::TransferOutcome outcome = download::RunEntryDownload(args[1], nullptr);
    msg::Install(nullptr);
    return outcome.result == download::TransferResult::Complete ? 0 : 1;
}
