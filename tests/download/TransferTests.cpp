// The transfer of an archive from the simulated site through its proxy address: whole, broken in
// every way the site can break it, resumed, cancelled; and framings only other servers use.

#include "LoopbackServer.h"
#include "config/Settings.h"
#include "download/DownloadJob.h"
#include "download/Transfer.h"
#include "talvex-sim/FaultTable.h"
#include "talvex-sim/RequestLog.h"
#include "talvex-sim/SimServerThread.h"
#include "tst_download.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace Qt::StringLiterals;
using download::TransferResult;

Q_DECLARE_METATYPE(CannedReply)

namespace {

download::TransferOutcome transfer(const download::LibInfo& info)
{
    download::TransferControl control;
    return download::TransferArchive(info, control);
}

void addFault(const QString& rule)
{
    if (rule.isEmpty())
        return;
    const std::optional<talvexsim::FaultRule> parsed = talvexsim::FaultRule::parse(rule);
    QVERIFY2(parsed, qPrintable(rule));
    simServer().faults().add(*parsed);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList entryFiles(const download::LibInfo& info)
{
    return QDir(info.folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

void TstDownload::archiveArrivesWhole()
{
    const download::LibInfo info = preparedEntry(*m_folder, u"Tool"_s, archiveUrl());
    const download::TransferOutcome outcome = transfer(info);
    QCOMPARE(outcome.result, TransferResult::Complete);
    QCOMPARE(outcome.received, kArchiveBytes);
    QCOMPARE(fileBytes(info.localFile), archiveBytes());
    QCOMPARE(entryFiles(info), (QStringList{u"LIBINFO.TXT"_s, info.localFile.section(u'/', -1)}));
    // One request through the proxy, with the user agent of the settings and no Range.
    const QList<talvexsim::RequestRecord> log = simServer().requests().records();
    QCOMPARE(log.size(), 1);
    QVERIFY(log[0].absoluteForm);
    QCOMPARE(log[0].url, archiveUrl());
    QCOMPARE(log[0].userAgent, u"Pelimond version 1.0.0"_s);
    QVERIFY(log[0].range.isEmpty());
}

void TstDownload::brokenTransfersFail_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");  // a part of what the user is told
    QTest::addColumn<qint64>("partBytes"); // -1: no .part file; 0: some bytes, at most `most`
    QTest::addColumn<qint64>("most");
    QTest::addColumn<int>("requests");
    QTest::newRow("reset mid-body") << u"reset-mid:1000000@/pub/*"_s << u"途中で切れました"_s
                                    << qint64(0) << qint64(1000000) << 1;
    QTest::newRow("truncated") << u"truncate:500000@/pub/*"_s << u"途中で切れました"_s
                               << qint64(500000) << qint64(500000) << 1;
    QTest::newRow("stalled past the time-out")
        << u"stall:200000@/pub/*"_s << u"応答が途絶えました"_s << qint64(200000) << qint64(200000)
        << 1;
    QTest::newRow("503 at every attempt")
        << u"status:503@/pub/*"_s << u"(HTTP 503)"_s << qint64(-1) << qint64(0) << 5;
    QTest::newRow("empty body") << u"empty@/pub/*"_s << u"空でした"_s << qint64(-1) << qint64(0)
                                << 1;
    QTest::newRow("unknown archive")
        << QString() << u"(HTTP 404)"_s << qint64(-1) << qint64(0) << 5;
}

void TstDownload::brokenTransfersFail()
{
    QFETCH(QString, fault);
    QFETCH(QString, message);
    QFETCH(qint64, partBytes);
    QFETCH(qint64, most);
    QFETCH(int, requests);
    addFault(fault);
    config::settings().TimeOut = 1;
    const QString address =
        fault.isEmpty() ? u"http://dl.talvex.example/pub/win/tv999999.lzh"_s : archiveUrl();
    const download::LibInfo info = preparedEntry(*m_folder, u"Tool"_s, address);
    const download::TransferOutcome outcome = transfer(info);
    QCOMPARE(outcome.result, TransferResult::Failed);
    QVERIFY2(outcome.message.contains(message), qPrintable(outcome.message));
    QCOMPARE(simServer().requests().size(), requests);
    // Never under the archive's name; what arrived stays as the .part file, byte for byte.
    QVERIFY(!QFile::exists(info.localFile));
    const QString part = info.localFile + download::kPartSuffix;
    if (partBytes < 0) {
        QVERIFY(!QFile::exists(part));
        return;
    }
    const QByteArray kept = fileBytes(part);
    if (partBytes > 0)
        QCOMPARE(kept.size(), partBytes);
    QVERIFY(kept.size() > 0 && kept.size() <= most);
    QCOMPARE(kept, archiveBytes().left(kept.size()));
    QVERIFY(outcome.message.contains(u"続きから受信します"_s));
}

void TstDownload::resumeGivesTheSameArchive_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QByteArray>("part"); // the .part file before the run; null for none
    QTest::addColumn<int>("runs");
    QTest::addColumn<QString>("range"); // of the last run's first request
    QTest::addColumn<qint64>("resumedFrom");
    QTest::addColumn<int>("requests"); // of the last run
    const QByteArray archive = archiveBytes();
    QTest::newRow("after a reset") << u"reset-mid:1000000#1@/pub/*"_s << QByteArray() << 2
                                   << u"bytes=%1-"_s << qint64(-1) << 1;
    QTest::newRow("a part left earlier")
        << QString() << archive.left(1000000) << 1 << u"bytes=1000000-"_s << qint64(1000000) << 1;
    QTest::newRow("server ignores the range") << u"ignore-range@/pub/*"_s << QByteArray(1000, 'x')
                                              << 1 << u"bytes=1000-"_s << qint64(0) << 1;
    QTest::newRow("part longer than the archive")
        << QString() << QByteArray(kArchiveBytes + 10, 'x') << 1
        << u"bytes=%1-"_s.arg(kArchiveBytes + 10) << qint64(0) << 2;
    QTest::newRow("part already whole")
        << QString() << archive << 1 << u"bytes=%1-"_s.arg(kArchiveBytes) << kArchiveBytes << 1;
}

void TstDownload::resumeGivesTheSameArchive()
{
    QFETCH(QString, fault);
    QFETCH(QByteArray, part);
    QFETCH(int, runs);
    QFETCH(QString, range);
    QFETCH(qint64, resumedFrom);
    QFETCH(int, requests);
    addFault(fault);
    const download::LibInfo info = preparedEntry(*m_folder, u"Tool"_s, archiveUrl());
    const QString partFile = info.localFile + download::kPartSuffix;
    if (!part.isNull())
        writeFile(partFile, part);
    download::TransferOutcome outcome;
    for (int run = 1; run <= runs; ++run) {
        if (run == runs) { // the run that completes: what the first left over is continued
            const qint64 left = QFileInfo(partFile).size();
            if (range.contains(u"%1"))
                range = range.arg(left);
            if (resumedFrom < 0)
                resumedFrom = left;
            simServer().requests().clear();
        }
        outcome = transfer(info);
    }
    QCOMPARE(outcome.result, TransferResult::Complete);
    QCOMPARE(outcome.resumedFrom, resumedFrom);
    QVERIFY(fileBytes(info.localFile) == archiveBytes());
    QVERIFY(!QFile::exists(partFile));
    const QList<talvexsim::RequestRecord> log = simServer().requests().records();
    QCOMPARE(log.size(), requests);
    QCOMPARE(log[0].range, range);
}

void TstDownload::otherSchemesAndNamesWriteNothing_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("message");
    const QString scheme = u"http または https"_s;
    const QString name = u"ファイルの名前"_s;
    QTest::newRow("ftp") << u"ftp://dl.talvex.example/pub/win/tool.lzh"_s << scheme;
    QTest::newRow("file") << u"file:///etc/passwd"_s << scheme;
    QTest::newRow("no host") << u"http:///pub/tool.lzh"_s << scheme;
    QTest::newRow("ends in /") << u"http://dl.talvex.example/pub/"_s << name;
    QTest::newRow("ends in ..") << u"http://dl.talvex.example/pub/.."_s << name;
}

void TstDownload::otherSchemesAndNamesWriteNothing()
{
    QFETCH(QString, address);
    QFETCH(QString, message);
    const download::LibInfo info = preparedEntry(*m_folder, u"Tool"_s, address);
    const download::TransferOutcome outcome = transfer(info);
    QCOMPARE(outcome.result, TransferResult::Failed);
    QVERIFY2(outcome.message.contains(message), qPrintable(outcome.message));
    QVERIFY(outcome.message.contains(address));
    QCOMPARE(simServer().requests().size(), 0);
    QCOMPARE(entryFiles(info), QStringList{u"LIBINFO.TXT"_s});
    QCOMPARE(QDir(m_folder->file(u"DOWNLOAD"_s)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{u"Tool"_s});
}

void TstDownload::framingsAndRedirections_data()
{
    QTest::addColumn<QList<CannedReply>>("first"); // answers at /a.lzh
    QTest::addColumn<bool>("complete");
    const QByteArray body = QByteArray(300000, 'z') + "end";
    CannedReply chunked;
    chunked.body = body;
    chunked.chunked = true;
    CannedReply until;
    until.raw = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n\r\n" + body;
    CannedReply moved;
    moved.status = 302;
    moved.headers = "Location: /b.lzh\r\n";
    CannedReply cutChunk = chunked;
    cutChunk.missing = 1;
    QTest::newRow("chunked") << QList<CannedReply>{chunked} << true;
    QTest::newRow("until the connection closes") << QList<CannedReply>{until} << true;
    QTest::newRow("redirected") << QList<CannedReply>{moved} << true;
    QTest::newRow("chunked, cut short") << QList<CannedReply>{cutChunk} << false;
}

void TstDownload::framingsAndRedirections()
{
    QFETCH(QList<CannedReply>, first);
    QFETCH(bool, complete);
    // A server of the test's own thread, reached directly: the transfer's waits serve it.
    config::settings().Proxy = 0;
    LoopbackServer server;
    QVERIFY(server.isListening());
    server.setReplies("/a.lzh", first);
    CannedReply target;
    target.body = QByteArray(300000, 'z') + "end";
    server.setReplies("/b.lzh", {target});
    const download::LibInfo info =
        preparedEntry(*m_folder, u"Tool"_s, u"http://127.0.0.1:%1/a.lzh"_s.arg(server.port()));
    const download::TransferOutcome outcome = transfer(info);
    QCOMPARE(outcome.result, complete ? TransferResult::Complete : TransferResult::Failed);
    QCOMPARE(QFile::exists(info.localFile), complete);
    if (complete)
        QCOMPARE(fileBytes(info.localFile), QByteArray(300000, 'z') + "end");
    else
        QCOMPARE(fileBytes(info.localFile + download::kPartSuffix),
                 QByteArray(300000, 'z') + "end");
}

void TstDownload::cancelStopsAtOnce()
{
    addFault(u"trickle:16384:50@/pub/*"_s);
    const download::LibInfo info = preparedEntry(*m_folder, u"Tool"_s, archiveUrl());
    download::DownloadJob job(info);
    job.start();
    QTRY_VERIFY_WITH_TIMEOUT(job.control().received() > 0, 10000);
    QElapsedTimer clock;
    clock.start();
    job.cancel();
    QVERIFY(job.wait(2000));
    QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(job.outcome().result, TransferResult::Cancelled);
    const QByteArray kept = fileBytes(info.localFile + download::kPartSuffix);
    QVERIFY(kept.size() >= job.control().received() && kept.size() < kArchiveBytes);
    QCOMPARE(kept, archiveBytes().left(kept.size()));
    QVERIFY(!QFile::exists(info.localFile));
}
