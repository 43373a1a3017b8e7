#include "RunHelpers.h"

#include "catalogue/Catalogue.h"
#include "talvex-sim/FaultTable.h"
#include "talvex-sim/RequestLog.h"
#include "talvex-sim/SimServerThread.h"
#include "talvex-sim/Site.h"
#include "tst_updaterun.h"

#include <QTcpServer>
#include <QTest>

namespace {

// The test's catalogue, opened for one read or write.
class OpenCatalogue
{
public:
    OpenCatalogue()
    {
        if (!catalogue::OpenCatalogue(m_db))
            qWarning("the test catalogue cannot be opened");
    }
    catalogue::Db& db() { return m_db; }

private:
    catalogue::Db m_db;
};

} // namespace

QList<catalogue::EntryRow> entriesOf(const QString& folderUrl)
{
    OpenCatalogue c;
    return catalogue::FolderEntries(c.db(), folderUrl);
}

std::optional<catalogue::FolderRow> folderRow(const QString& url)
{
    OpenCatalogue c;
    return catalogue::FindFolder(c.db(), url);
}

std::optional<catalogue::EntryRow> entryRow(const QString& base, const QString& target)
{
    OpenCatalogue c;
    return catalogue::FindEntry(c.db(), base, target);
}

void saveFolder(const catalogue::FolderRow& row)
{
    OpenCatalogue c;
    QVERIFY(catalogue::SaveFolder(c.db(), row));
}

void saveEntry(const catalogue::EntryRow& row)
{
    OpenCatalogue c;
    QVERIFY(catalogue::SaveEntry(c.db(), row));
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
