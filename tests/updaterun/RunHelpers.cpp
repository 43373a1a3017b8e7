#include "RunHelpers.h"

#include "catalogue/Catalogue.h"
#include "talvex-sim/RequestLog.h"
#include "talvex-sim/SimServerThread.h"
#include "talvex-sim/Site.h"
#include "tst_updaterun.h"

#include <QTcpServer>
#include <QTest>

namespace {

// Opens the test's catalogue for one read or write.
template <class F> auto withCatalogue(F use)
{
    catalogue::Db db;
    if (!catalogue::OpenCatalogue(db))
        qWarning("the test catalogue cannot be opened");
    return use(db);
}

} // namespace

QList<catalogue::EntryRow> entriesOf(const QString& folderUrl)
{
    return withCatalogue(
        [&](catalogue::Db& db) { return catalogue::FolderEntries(db, folderUrl); });
}

std::optional<catalogue::FolderRow> folderRow(const QString& url)
{
    return withCatalogue([&](catalogue::Db& db) { return catalogue::FindFolder(db, url); });
}

std::optional<catalogue::EntryRow> entryRow(const QString& base, const QString& target)
{
    return withCatalogue([&](catalogue::Db& db) { return catalogue::FindEntry(db, base, target); });
}

void saveFolder(const catalogue::FolderRow& row)
{
    QVERIFY(withCatalogue([&](catalogue::Db& db) { return catalogue::SaveFolder(db, row); }));
}

void saveEntry(const catalogue::EntryRow& row)
{
    QVERIFY(withCatalogue([&](catalogue::Db& db) { return catalogue::SaveEntry(db, row); }));
}

const talvexsim::Folder* findSiteFolder(const std::function<bool(const talvexsim::Folder&)>& test)
{
    for (const talvexsim::Folder& f : simSite().folders()) {
        if (test(f))
            return &f;
    }
    return nullptr;
}

QStringList requestedUrls()
{
    QStringList urls;
    for (const talvexsim::RequestRecord& r : simServer().requests().records())
        urls.append(r.url);
    return urls;
}

quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}
