// talvex-sim: the simulated Talvex library site as a process.
//
//   talvex-sim [--port N] [--seed S] [--scale K] [--archive-bytes N] [--latency MS]
//              [--fault RULE]...
//       serves the site on 127.0.0.1:N (0, the default, picks a free port), prints
//       "http://127.0.0.1:PORT/" on one line of stdout and serves until SIGINT or SIGTERM.
//       --archive-bytes gives every archive that size (streamed, never held in memory);
//       --latency makes every request wait MS milliseconds before its answer (a slow link).
//   talvex-sim --dump DIR [--archives] [--seed S] [--scale K]
//       writes every page below DIR (see SiteDump.h) and exits.

#include "talvex-sim/FaultTable.h"
#include "talvex-sim/SimServer.h"
#include "talvex-sim/Site.h"
#include "talvex-sim/SiteDump.h"
#include "talvex-sim/SitePages.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <cstdio>
#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

using namespace talvexsim;

namespace {

#ifdef Q_OS_UNIX
int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM end the event loop, so the server closes and the process exits with 0.
void quitOnSignals(QCoreApplication& app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] { app.quit(); });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}
#else
void quitOnSignals(QCoreApplication&) {}
#endif

int fail(const QString& text)
{
    std::fprintf(stderr, "talvex-sim: %s\n", qPrintable(text));
    return 2;
}

bool readNumber(const QCommandLineParser& parser, const QString& name, qulonglong max,
                qulonglong* out)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    *out = parser.value(name).toULongLong(&ok);
    return ok && *out <= max;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("talvex-sim"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The simulated Talvex library site: a generated site served on 127.0.0.1 only.\n"
        "Use it as an HTTP proxy (it answers absolute-form requests) or directly.\n"
        "Fault RULE: KIND[:ARG[:ARG]][#TIMES]@PATTERN with KIND delay:MS, reset,\n"
        "reset-mid[:BYTES], status[:CODE], empty, truncate[:BYTES], trickle:BYTES:MS,\n"
        "stall[:BYTES], ignore-range, chunked, chunked-cut[:BYTES], chunk-oversize[:BYTES],\n"
        "empty-chunked, redirect:URL, endless, next-loop[:PAGE], dead-links:N;\n"
        "PATTERN a wildcard over the path (\"/soft/*\") or the full URL, or re:REGEX."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("port"), QStringLiteral("Port on 127.0.0.1 (0: any free port)."),
         QStringLiteral("N"), QStringLiteral("0")},
        {QStringLiteral("seed"), QStringLiteral("Seed of the generated site."), QStringLiteral("S"),
         QStringLiteral("1")},
        {QStringLiteral("scale"), QStringLiteral("Size: about 300 × K packages (1 to 1000)."),
         QStringLiteral("K"), QStringLiteral("1")},
        {QStringLiteral("archive-bytes"),
         QStringLiteral("Every archive this many bytes long (1 to 2^40) instead of its own size."),
         QStringLiteral("N")},
        {QStringLiteral("latency"),
         QStringLiteral("Every request waits MS milliseconds before its answer (0 to 60000)."),
         QStringLiteral("MS"), QStringLiteral("0")},
        {QStringLiteral("fault"), QStringLiteral("Inject a fault (repeatable), see above."),
         QStringLiteral("RULE")},
        {QStringLiteral("dump"), QStringLiteral("Write every page below DIR and exit."),
         QStringLiteral("DIR")},
        {QStringLiteral("archives"), QStringLiteral("With --dump: write the archives as well.")},
    });
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("unexpected argument ") + parser.positionalArguments().first());

    qulonglong port = 0, seed = 1, scale = 1, archiveBytes = 0, latency = 0;
    if (!readNumber(parser, QStringLiteral("port"), 65535, &port))
        return fail(QStringLiteral("--port takes 0 to 65535"));
    if (!readNumber(parser, QStringLiteral("seed"), ~0ull, &seed))
        return fail(QStringLiteral("--seed takes a whole number"));
    if (!readNumber(parser, QStringLiteral("scale"), 1000, &scale) || scale < 1)
        return fail(QStringLiteral("--scale takes 1 to 1000"));
    if (!readNumber(parser, QStringLiteral("archive-bytes"), 1ull << 40, &archiveBytes) ||
        (parser.isSet(QStringLiteral("archive-bytes")) && archiveBytes < 1))
        return fail(QStringLiteral("--archive-bytes takes 1 to 1099511627776"));
    if (!readNumber(parser, QStringLiteral("latency"), 60000, &latency))
        return fail(QStringLiteral("--latency takes 0 to 60000"));
    QList<FaultRule> faults;
    for (const QString& text : parser.values(QStringLiteral("fault"))) {
        QString error;
        const std::optional<FaultRule> rule = FaultRule::parse(text, &error);
        if (!rule)
            return fail(QStringLiteral("--fault %1: %2").arg(text, error));
        faults.append(*rule);
    }

    auto site = std::make_shared<const Site>(seed, int(scale), qint64(archiveBytes));
    if (parser.isSet(QStringLiteral("dump"))) {
        QString error;
        const qsizetype n = DumpSite(SitePages(site), parser.value(QStringLiteral("dump")),
                                     parser.isSet(QStringLiteral("archives")), &error);
        if (n < 0)
            return fail(error);
        std::printf("%lld files written\n", static_cast<long long>(n));
        return 0;
    }

    SimServer server(site);
    server.setLatencyMs(int(latency));
    for (const FaultRule& rule : std::as_const(faults))
        server.faults().add(rule);
    if (!server.listen(quint16(port)))
        return fail(QStringLiteral("cannot listen on 127.0.0.1:%1").arg(port));
    quitOnSignals(app);
    std::printf("%s\n", qPrintable(server.address()));
    std::fflush(stdout);
    return app.exec();
}
