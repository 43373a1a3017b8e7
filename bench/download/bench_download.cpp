// Downloads a large archive of the simulated site through its proxy address with the program's
// download process and with the system's wget, and prints their rates, the downloading
// process's peak resident memory, and four smaller downloads at once against one wget of the
// whole size (four download processes). Goals: rate >= 0.9 of wget's, peak memory <= 64 MiB, four
// downloads of a quarter each in <= 1.3 times wget's time for the whole.
//
//   bench_download [--mib N] [--repeats R]
//
// The download process is the program itself in its download mode (a copy in a temporary
// program folder whose settings point at the site, with the offscreen platform), and, for
// comparison, the transfer alone in a process without widgets (bench_download_child). The peak
// memory of each process is its VmHWM, read from /proc while it runs.
#include "catalogue/Rows.h"
#include "common/BenchSupport.h"
#include "download/LibInfo.h"
#include "talvex-sim/ArchiveBytes.h"
#include "talvex-sim/SimServerThread.h"
#include "talvex-sim/Site.h"
#include "util/FileUtil.h"
#include "util/Text.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

struct Run
{
    double seconds = 0;
    qint64 peakKib = 0; // the largest of the processes' peak resident sizes
    bool ok = false;
};

constexpr int kPollMs = 5;

// The process's peak resident size so far (VmHWM), in KiB; 0 when it cannot be read.
qint64 peakOf(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

// Starts every command at once and waits for all of them.
Run runAll(const QList<QStringList>& commands, const QStringList& extraEnv)
{
    std::vector<QByteArray> env;
    for (char** e = environ; *e; ++e) {
        const QByteArray entry(*e);
        if (!entry.startsWith("no_proxy=") && !entry.startsWith("NO_PROXY=") &&
            !entry.startsWith("QT_QPA_PLATFORM="))
            env.push_back(entry);
    }
    for (const QString& e : extraEnv)
        env.push_back(e.toLocal8Bit());
    std::vector<char*> envp;
    for (QByteArray& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    Run run;
    run.ok = true;
    QElapsedTimer clock;
    clock.start();
    std::vector<pid_t> pids;
    for (const QStringList& command : commands) {
        std::vector<QByteArray> words;
        for (const QString& w : command)
            words.push_back(w.toLocal8Bit());
        std::vector<char*> argv;
        for (QByteArray& w : words)
            argv.push_back(w.data());
        argv.push_back(nullptr);
        pid_t pid = 0;
        if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) {
            run.ok = false;
            continue;
        }
        pids.push_back(pid);
    }
    // The peak is read from each process's own VmHWM while it runs: the figure the kernel keeps
    // at its end would count what the process shared with this one before its exec.
    std::vector<qint64> peaks(pids.size(), 0);
    std::vector<bool> running(pids.size(), true);
    for (std::size_t left = pids.size(); left > 0;) {
        for (std::size_t i = 0; i < pids.size(); ++i) {
            if (!running[i])
                continue;
            peaks[i] = qMax(peaks[i], peakOf(pids[i]));
            int status = 0;
            if (waitpid(pids[i], &status, WNOHANG) != pids[i])
                continue;
            running[i] = false;
            --left;
            if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
                run.ok = false;
            run.peakKib = qMax(run.peakKib, peaks[i]);
        }
        QThread::msleep(kPollMs);
    }
    run.seconds = clock.elapsed() / 1000.0;
    return run;
}

// An entry folder whose library information file names the archive, as the main process
// writes it.
QString prepareEntry(const QString& downloads, const QString& name, const QString& address,
                     qint64 size)
{
    const QString folder = downloads + u'/' + name;
    QDir(folder).removeRecursively();
    util::MakeFolders(folder);
    catalogue::EntryRow row;
    row.SoftName = name;
    row.FTPURL = address;
    row.FileSize2 = size;
    download::WriteLibInfo(folder, row, QStringLiteral("フリーソフト"));
    return folder;
}

// A copy of the program in its own program folder, whose settings use the proxy at the port.
QString installProgram(const QString& dir, quint16 port)
{
    QDir().mkpath(dir);
    const QString program = dir + QStringLiteral("/pelimond");
    QFile::copy(QStringLiteral(PELIMOND_BINARY), program);
    QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);
    text::WriteLines(dir + QStringLiteral("/Pelimond.INI"),
                     {QStringLiteral("[URL]"), QStringLiteral("TimeOut=30"),
                      QStringLiteral("Proxy=2"), QStringLiteral("ProxyName=127.0.0.1"),
                      QStringLiteral("ProxyPort=") + QString::number(port),
                      QStringLiteral("[PLMDM]"), QStringLiteral("FirstBoot=0"),
                      QStringLiteral("OpenAfterDownload=0")});
    return program;
}

// The archive arrived whole: its size, and samples of its bytes against the site's own.
bool arrived(const QString& path, const talvexsim::ArchiveBytes& archive)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() != archive.size())
        return false;
    for (qint64 at : {qint64(0), archive.size() / 3, archive.size() / 2, archive.size() - 4096}) {
        file.seek(at);
        if (file.read(4096) != archive.read(at, qMin<qint64>(4096, archive.size() - at)))
            return false;
    }
    return true;
}

QString fileNameOf(const QString& url)
{
    return url.section(u'/', -1);
}

double mibPerSecond(qint64 bytes, double seconds)
{
    return bytes / 1048576.0 / qMax(seconds, 1e-6);
}

void report(const char* what, const Run& run, qint64 bytes)
{
    std::printf("  %-46s %7.2f s  %8.1f MiB/s  peak %6.1f MiB%s\n", what, run.seconds,
                mibPerSecond(bytes, run.seconds), run.peakKib / 1024.0, run.ok ? "" : "  FAILED");
}

Run median(QList<Run> runs)
{
    std::sort(runs.begin(), runs.end(),
              [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
    Run m = runs.at(runs.size() / 2);
    for (const Run& r : runs) {
        m.peakKib = qMax(m.peakKib, r.peakKib);
        m.ok = m.ok && r.ok;
    }
    return m;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption mibOption(QStringLiteral("mib"), QStringLiteral("Archive size."),
                                       QStringLiteral("N"), QStringLiteral("1024"));
    const QCommandLineOption repeatOption(QStringLiteral("repeats"),
                                          QStringLiteral("Runs of each."), QStringLiteral("R"),
                                          QStringLiteral("3"));
    parser.addOptions({mibOption, repeatOption});
    parser.process(app);
    const qint64 bytes = qMax<qint64>(1, parser.value(mibOption).toLongLong()) << 20;
    const int repeats = qMax(1, parser.value(repeatOption).toInt());
    constexpr int kParallel = 4;

    // One site whose archives have the whole size, one whose archives have a quarter of it.
    auto whole = std::make_shared<const talvexsim::Site>(1, 1, bytes);
    auto quarter = std::make_shared<const talvexsim::Site>(1, 1, bytes / kParallel);
    talvexsim::SimServerThread wholeServer(whole);
    talvexsim::SimServerThread quarterServer(quarter);
    QTemporaryDir folder;
    const QString wget = bench::FindWget();
    if (!folder.isValid() || !wholeServer.start() || !quarterServer.start()) {
        std::fprintf(stderr, "cannot set up the site or the folders\n");
        return 1;
    }
    // Copies of the program in program folders of their own, with settings that use the sites.
    const QString program =
        installProgram(folder.filePath(QStringLiteral("whole")), wholeServer.port());
    const QString quarterProgram =
        installProgram(folder.filePath(QStringLiteral("quarter")), quarterServer.port());
    const QString downloads = folder.filePath(QStringLiteral("DOWNLOAD"));
    const QStringList offscreen{QStringLiteral("QT_QPA_PLATFORM=offscreen")};

    const QString url = whole->package(0).archiveUrl;
    const talvexsim::ArchiveBytes archive(*whole, 0);
    std::printf("bench_download: a %lld MiB archive through the proxy at 127.0.0.1:%u, "
                "median of %d runs\n",
                static_cast<long long>(bytes >> 20), wholeServer.port(), repeats);

    QList<Run> ours, core, theirs, together;
    for (int r = 0; r < repeats; ++r) {
        // The download process: the program in its download mode.
        QString entry = prepareEntry(downloads, QStringLiteral("Whole"), url, bytes);
        Run run = runAll({{program, entry}}, offscreen);
        run.ok = run.ok && arrived(entry + u'/' + fileNameOf(url), archive);
        QDir(entry).removeRecursively();
        ours.append(run);

        // The transfer alone, without widgets.
        entry = prepareEntry(downloads, QStringLiteral("Core"), url, bytes);
        run =
            runAll({{QStringLiteral(BENCH_CHILD), entry, QString::number(wholeServer.port())}}, {});
        run.ok = run.ok && arrived(entry + u'/' + fileNameOf(url), archive);
        QDir(entry).removeRecursively();
        core.append(run);

        // Four downloads of a quarter each at once, through the other site.
        QList<QStringList> commands;
        QStringList entries;
        for (int i = 0; i < kParallel; ++i) {
            const QString part = quarter->package(i).archiveUrl;
            entries.append(
                prepareEntry(downloads, QStringLiteral("Part%1").arg(i), part, bytes / kParallel));
            commands.append({quarterProgram, entries.last()});
        }
        run = runAll(commands, offscreen);
        for (int i = 0; i < kParallel; ++i) {
            const QString part = quarter->package(i).archiveUrl;
            run.ok = run.ok && arrived(entries[i] + u'/' + fileNameOf(part),
                                       talvexsim::ArchiveBytes(*quarter, i));
            QDir(entries[i]).removeRecursively();
        }
        together.append(run);

        if (wget.isEmpty())
            continue;
        const QString target = folder.filePath(QStringLiteral("wget.bin"));
        run = runAll({{wget, QStringLiteral("-q"), QStringLiteral("-e"),
                       QStringLiteral("use_proxy=yes"), QStringLiteral("-e"),
                       QStringLiteral("http_proxy=http://127.0.0.1:%1/").arg(wholeServer.port()),
                       QStringLiteral("-O"), target, url}},
                     {});
        run.ok = run.ok && arrived(target, archive);
        QFile::remove(target);
        theirs.append(run);
    }

    const Run program1 = median(ours);
    const Run core1 = median(core);
    const Run four = median(together);
    report("pelimond, download mode (window offscreen)", program1, bytes);
    report("transfer alone (bench_download_child)", core1, bytes);
    report("4 x quarter at once (pelimond, download mode)", four, bytes);
    if (theirs.isEmpty()) {
        std::printf("  wget: not installed, no baseline measured\n");
        return 0;
    }
    const Run wget1 = median(theirs);
    report("wget", wget1, bytes);
    std::printf("  ratio rate pelimond / wget         = %.2f (goal >= 0.90)\n",
                wget1.seconds / program1.seconds);
    std::printf("  ratio rate transfer alone / wget   = %.2f\n", wget1.seconds / core1.seconds);
    std::printf("  peak memory of the download process = %.1f MiB (goal <= 64)\n",
                program1.peakKib / 1024.0);
    std::printf("  ratio time 4 at once / one wget    = %.2f (goal <= 1.30)\n",
                four.seconds / wget1.seconds);
    return 0;
}
