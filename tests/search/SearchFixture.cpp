#include "SearchFixture.h"

#include "catalogue/Catalogue.h"
#include "catalogue/PageTransaction.h"
#include "catalogue/Schema.h"
#include "config/SoftTypes.h"

#include <QTest>
#include <QUrl>

namespace fixture {

SearchCatalogue::SearchCatalogue() : m_path(m_folder.file(QStringLiteral("Pelimond.mdb")))
{
    QVERIFY(catalogue::CreateEmptyCatalogue(m_path));
    config::settings().dbname = m_path;
    config::settings().SearchMax = 100;
    config::SoftTypes() = {
        {1, QStringLiteral("s_free2.gif"), QStringLiteral("フリー"), 0x0000FF, {}, {}},
        {2, QStringLiteral("s_share2.gif"), QStringLiteral("シェア"), 0xFF8000, {}, {}},
    };
}

void SearchCatalogue::addFolder(const QString& url, const QString& description) const
{
    QString root = kLibrary;
    for (const QString& area : {kNewArrivals, kGames}) {
        if (url.startsWith(area))
            root = area;
    }
    catalogue::Db db;
    QVERIFY(catalogue::OpenDb(db, m_path));
    QVERIFY(catalogue::SaveFolder(
        db, {url, description, int(url.count(u'/') - root.count(u'/')), {}, false}));
}

void SearchCatalogue::addEntries(const QList<catalogue::EntryRow>& rows) const
{
    catalogue::PageTransaction page(m_path);
    QVERIFY(page.isOpen());
    for (const catalogue::EntryRow& row : rows)
        QVERIFY(catalogue::SaveEntry(page.db(), row));
    QVERIFY(page.commit());
}

void SearchCatalogue::execute(const QString& sql) const
{
    catalogue::Db db;
    QVERIFY(catalogue::OpenDb(db, m_path));
    QVERIFY2(db.execute(sql), qPrintable(db.lastError().text()));
}

QStringList SearchCatalogue::marked() const
{
    catalogue::Db db;
    if (!catalogue::OpenDb(db, m_path))
        return {QStringLiteral("<no catalogue>")};
    QStringList names;
    for (const catalogue::EntryRow& row : catalogue::SearchEntries(db, 100000))
        names.append(row.SoftName);
    names.sort();
    return names;
}

catalogue::EntryRow Entry(const QString& base, const QString& name)
{
    catalogue::EntryRow row;
    row.BaseURL = base;
    row.TargetURL = config::SiteRoot + QStringLiteral("soft/") +
                    QString::fromLatin1(QUrl::toPercentEncoding(name)) + QStringLiteral(".html");
    row.SoftName = name;
    row.FileType = 1;
    return row;
}

} // namespace fixture
