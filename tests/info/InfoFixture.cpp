#include "InfoFixture.h"

#include "catalogue/Catalogue.h"
#include "catalogue/PageTransaction.h"
#include "catalogue/Schema.h"
#include "config/Settings.h"
#include "site/Fetcher.h"
#include "talvex-sim/RequestLog.h"
#include "talvex-sim/SimServerThread.h"
#include "talvex-sim/Site.h"
#include "update/RunState.h"
#include "update/SoftDetail.h"

#include <QTest>

int requestsFor(const QString& url)
{
    return int(simServer().requests().recordsFor(url).size());
}

InfoProgram::InfoProgram()
{
    config::Settings& s = config::settings();
    s.dbname = m_folder.file(catalogue::kCatalogueFile);
    QVERIFY(catalogue::CreateEmptyCatalogue(s.dbname));
    s.CacheFolder = m_folder.file(QStringLiteral("CACHE"));
    s.Update = 0; // offline: a first read never reaches for the site
    s.Proxy = 2;
    s.ProxyName = QStringLiteral("127.0.0.1");
    s.ProxyPort = simServer().port();
    s.TimeOut = 5;
    s.UserAgent = config::ProgramVersionText();
    m_folder.loadFirstRunSoftTypes();
    site::SetRetryPauseForTests(0);
    update::SetDetailRetryWaitForTests(0);
    update::runState() = update::RunState();
    simServer().requests().clear();
}

InfoProgram::~InfoProgram()
{
    site::SetRetryPauseForTests(-1);
    update::SetDetailRetryWaitForTests(-1);
    update::runState() = update::RunState();
}

void InfoProgram::addFolder(const QString& url, const QString& updateDate) const
{
    catalogue::FolderRow row;
    row.TargetURL = url;
    row.URLClass = int(url.count(u'/') - kLibrary.count(u'/'));
    row.UpdateDate = QDateTime::fromString(updateDate, Qt::ISODate);
    catalogue::Db db;
    QVERIFY(catalogue::OpenCatalogue(db));
    QVERIFY(catalogue::SaveFolder(db, row));
}

void InfoProgram::addEntries(const QList<catalogue::EntryRow>& rows) const
{
    catalogue::PageTransaction page(config::settings().dbname);
    for (const catalogue::EntryRow& row : rows)
        QVERIFY(catalogue::SaveEntry(page.db(), row));
    QVERIFY(page.commit());
}

catalogue::EntryRow InfoProgram::entry(const QString& base, const QString& target) const
{
    catalogue::Db db;
    catalogue::OpenCatalogue(db);
    return catalogue::FindEntry(db, base, target).value_or(catalogue::EntryRow());
}

void InfoProgram::execute(const QString& sql, const QVariantList& values) const
{
    catalogue::Db db;
    QVERIFY(catalogue::OpenCatalogue(db));
    QVERIFY2(db.execute(sql, values), qPrintable(db.lastError().text()));
}

catalogue::EntryRow Entry(const QString& base, const QString& target, const QString& name)
{
    catalogue::EntryRow row;
    row.BaseURL = base;
    row.TargetURL = target;
    row.SoftName = name;
    row.FileType = 1;
    return row;
}

catalogue::EntryRow RichEntry(const talvexsim::Package** package)
{
    for (const talvexsim::Package& p : simSite().packages()) {
        const talvexsim::Detail d = simSite().detail(p.index);
        if (p.area == talvexsim::kAreaLibrary && p.price > 0 && !d.ftpUrl.isEmpty() &&
            !d.authorUrl.isEmpty()) {
            if (package)
                *package = &p;
            return Entry(simSite().folder(p.home).url, p.url, p.name);
        }
    }
    qFatal("the simulated site has no package with every detail");
}
