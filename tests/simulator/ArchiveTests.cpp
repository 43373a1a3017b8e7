// The download host's archives: made in pieces from the generator, served in parts for Range
// requests, of a size the caller chooses.

#include "RawClient.h"
#include "SiteFixture.h"
#include "talvex-sim/ArchiveBytes.h"
#include "talvex-sim/FaultTable.h"
#include "talvex-sim/PackagePages.h"
#include "talvex-sim/RequestLog.h"
#include "talvex-sim/Rng.h"
#include "talvex-sim/SimServerThread.h"
#include "tst_simulator.h"

#include <QTest>
#include <QUrl>
#include <cstring>

using namespace talvexsim;
using namespace Qt::StringLiterals;

namespace {

// The archive as the generator writes it in one go: one value per eight bytes, one per byte of
// the odd end (the format's magic over the first bytes left out).
QByteArray sequentialArchive(const Site& site, int package)
{
    const Package& p = site.package(package);
    QByteArray bytes(p.archiveBytes, Qt::Uninitialized);
    Rng rng(site.seed() * 31u + quint64(p.id));
    qsizetype i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        const quint64 v = rng.next();
        std::memcpy(bytes.data() + i, &v, 8);
    }
    for (; i < bytes.size(); ++i)
        bytes[i] = char(rng.next());
    return bytes;
}

QByteArray getArchive(const Package& p, const QByteArray& extra = {})
{
    return "GET " + QUrl(p.archiveUrl).path().toLatin1() +
           " HTTP/1.1\r\nHost: dl.talvex.example\r\n" + extra + "\r\n";
}

} // namespace

void TestSimulator::archiveBytesAreTheGeneratorsStream()
{
    const Site& site = *SharedSite(7);
    for (int package : {0, 5, 17}) {
        const Package& p = site.package(package);
        const ArchiveBytes archive(site, package);
        QCOMPARE(archive.size(), p.archiveBytes);
        const QByteArray whole = pages::Archive(site, package);
        QCOMPARE(whole.size(), p.archiveBytes);
        QVERIFY(whole.mid(8) == sequentialArchive(site, package).mid(8));
        // Any stretch, at any offset, is the same as the whole archive's.
        const qint64 size = archive.size();
        for (qint64 offset :
             {qint64(0), qint64(3), qint64(7), qint64(8), size / 2 + 5, size - 9, size - 1}) {
            const qint64 length = qMin<qint64>(4099, size - offset);
            QCOMPARE(archive.read(offset, length), whole.mid(offset, length));
        }
    }
}

void TestSimulator::chosenArchiveSize()
{
    constexpr qint64 kChosen = 5 * 1024 * 1024 + 3;
    const Site chosen(7, 1, kChosen);
    const Site& normal = *SharedSite(7);
    QCOMPARE(chosen.packages().size(), normal.packages().size());
    for (const Package& p : chosen.packages()) {
        QCOMPARE(p.archiveBytes, kChosen);
        QCOMPARE(p.archiveUrl, normal.package(p.index).archiveUrl);
        QCOMPARE(p.sizeKb < 0, normal.package(p.index).sizeKb < 0);
        if (!p.has(TraitNoBytes))
            QCOMPARE(chosen.detail(p.index).fileSize2, kChosen);
    }
}

void TestSimulator::archiveRangeRequests_data()
{
    QTest::addColumn<QByteArray>("range"); // the Range header, or none
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("status");
    QTest::addColumn<qint64>("first");  // -1: the last bytes, as many as `length`
    QTest::addColumn<qint64>("length"); // -1: to the end
    const qint64 size = SharedSite(7)->package(0).archiveBytes;
    QTest::newRow("no range") << QByteArray() << QString() << 200 << qint64(0) << qint64(-1);
    QTest::newRow("closed range") << QByteArray("bytes=100-199") << QString() << 206 << qint64(100)
                                  << qint64(100);
    QTest::newRow("open range") << QByteArray("bytes=1001-") << QString() << 206 << qint64(1001)
                                << qint64(-1);
    QTest::newRow("last bytes") << QByteArray("bytes=-50") << QString() << 206 << qint64(-1)
                                << qint64(50);
    QTest::newRow("end past the archive")
        << QByteArray("bytes=10-99999999999") << QString() << 206 << qint64(10) << qint64(-1);
    QTest::newRow("start past the end")
        << "bytes=" + QByteArray::number(size) + "-" << QString() << 416 << qint64(0) << qint64(0);
    QTest::newRow("several ranges")
        << QByteArray("bytes=0-10,20-30") << QString() << 200 << qint64(0) << qint64(-1);
    QTest::newRow("malformed") << QByteArray("bytes=abc") << QString() << 200 << qint64(0)
                               << qint64(-1);
    QTest::newRow("server ignores ranges")
        << QByteArray("bytes=100-") << u"ignore-range#1@/pub/*"_s << 200 << qint64(0) << qint64(-1);
}

void TestSimulator::archiveRangeRequests()
{
    QFETCH(QByteArray, range);
    QFETCH(QString, fault);
    QFETCH(int, status);
    QFETCH(qint64, first);
    QFETCH(qint64, length);
    SimServerThread server(SharedSite(7));
    QVERIFY(server.start());
    if (!fault.isEmpty())
        server.faults().add(*FaultRule::parse(fault));
    const Package& p = SharedSite(7)->package(0);
    const QByteArray whole = pages::Archive(*SharedSite(7), 0);
    RawClient client;
    QVERIFY(client.connectTo(server.port()));
    const RawReply r =
        client.request(getArchive(p, range.isEmpty() ? QByteArray() : "Range: " + range + "\r\n"));
    QCOMPARE(r.status, status);
    QCOMPARE(r.headers.value("accept-ranges"), QByteArray("bytes"));
    const QByteArray total = QByteArray::number(whole.size());
    if (status == 416) {
        QCOMPARE(r.headers.value("content-range"), "bytes */" + total);
    } else {
        if (first < 0)
            first = whole.size() - length;
        const QByteArray expected = whole.mid(first, length);
        QVERIFY(r.body == expected);
        QCOMPARE(r.length(), expected.size());
        QCOMPARE(r.headers.value("content-range"),
                 status == 206 ? "bytes " + QByteArray::number(first) + '-' +
                                     QByteArray::number(first + expected.size() - 1) + '/' + total
                               : QByteArray());
    }
    // The connection serves the next request, and the log keeps the header as sent.
    QCOMPARE(client.request(getArchive(p, "Range: bytes=0-0\r\n")).body, whole.left(1));
    QCOMPARE(server.requests().records().value(0).range, QString::fromLatin1(range));
}
