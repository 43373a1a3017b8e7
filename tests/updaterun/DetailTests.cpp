// The detail analysis of one entry: both pages fetched from the simulated site, parsed and
// written into the entry's row.

#include "RunHelpers.h"
#include "config/Settings.h"
#include "talvex-sim/FaultTable.h"
#include "talvex-sim/RequestLog.h"
#include "talvex-sim/SimServerThread.h"
#include "talvex-sim/Site.h"
#include "tst_updaterun.h"
#include "update/SoftDetail.h"

#include <QTest>

using namespace Qt::StringLiterals;
using talvexsim::Package;

namespace {

constexpr qint64 kListPrice = 777;

const Package* findPackage(const std::function<bool(const Package&)>& test)
{
    for (const Package& p : simSite().packages()) {
        if (test(p))
            return &p;
    }
    return nullptr;
}

// The row the list analysis left: a favourite with a list price and no details yet.
void listEntry(const Package& p)
{
    catalogue::EntryRow row;
    row.BaseURL = simSite().folder(p.home).url;
    row.TargetURL = p.url;
    row.SoftName = u"as listed"_s;
    row.RegiMoney = kListPrice;
    row.Favorites = true;
    saveEntry(row);
}

QString pathOf(const QString& url)
{
    return url.mid(config::SiteRoot.size() - 1);
}

} // namespace

void TstUpdateRun::detailPagesAreReadAndWritten_data()
{
    QTest::addColumn<int>("package");
    const auto add = [](const char* name, auto test) {
        const Package* p = findPackage(test);
        QVERIFY2(p, name);
        QTest::newRow(name) << p->index;
    };
    add("priced library entry", [](const Package& p) {
        return p.area == talvexsim::kAreaLibrary && p.price > 0 && !p.has(talvexsim::TraitNoBytes);
    });
    add("no yen on the page keeps the list price",
        [](const Package& p) { return simSite().detail(p.index).regiMoney == -1; });
    add("games entry", [](const Package& p) { return p.area == talvexsim::kAreaGames; });
}

void TstUpdateRun::detailPagesAreReadAndWritten()
{
    QFETCH(int, package);
    const Package& p = simSite().package(package);
    const QString base = simSite().folder(p.home).url;
    listEntry(p);

    QVERIFY(update::AnalyzeSoftDetail(base, p.url, true));

    const talvexsim::Detail d = simSite().detail(package);
    const std::optional<catalogue::EntryRow> row = entryRow(base, p.url);
    QVERIFY(row);
    QVERIFY(row->DetailRead);
    QCOMPARE(row->FTPURL, d.ftpUrl);
    QCOMPARE(row->Category, d.category);
    QCOMPARE(row->DescriptionDetail, d.descriptionDetail);
    QCOMPARE(row->PaymentInfo, d.paymentInfo);
    QCOMPARE(row->OSType, d.osType);
    QCOMPARE(row->Author, d.author);
    QCOMPARE(row->AuthorURL, d.authorUrl);
    QCOMPARE(row->FileSize2.value_or(-1), d.fileSize2);
    QCOMPARE(row->RegistDate ? row->RegistDate->date() : QDate(), d.registDate);
    QCOMPARE(row->PaymentURL, d.paymentUrl);
    QCOMPARE(row->RegiMoney, d.regiMoney < 0 ? kListPrice : d.regiMoney);
    // The list's columns and the marks stay.
    QCOMPARE(row->SoftName, u"as listed"_s);
    QVERIFY(row->Favorites);

    const QStringList requested = requestedUrls();
    QCOMPARE(requested, QStringList({p.url, talvexsim::Site::downloadPageUrl(p.url)}));
    if (p.area == talvexsim::kAreaGames)
        QVERIFY(requested[1].contains(u"/games/soft/dl/"_s));
    QVERIFY(m_messages->shown.isEmpty());
}

void TstUpdateRun::detailFetchRetries_data()
{
    QTest::addColumn<bool>("downloadPage"); // else the detail page fails
    QTest::addColumn<QString>("times");     // how often the page fails: "" always
    QTest::addColumn<int>("failedFetches");
    QTest::newRow("detail page never answers") << false << QString() << 5;
    QTest::newRow("download page answers on the second fetch") << true << u"#5"_s << 1;
}

void TstUpdateRun::detailFetchRetries()
{
    QFETCH(bool, downloadPage);
    QFETCH(QString, times);
    QFETCH(int, failedFetches);
    const Package& p = simSite().packages().first();
    const QString base = simSite().folder(p.home).url;
    const QString failing = downloadPage ? talvexsim::Site::downloadPageUrl(p.url) : p.url;
    listEntry(p);
    const auto rule = talvexsim::FaultRule::parse(u"status:503"_s + times + u'@' + pathOf(failing));
    QVERIFY(rule);
    simServer().faults().add(*rule);

    const bool written = failedFetches < 5;
    QCOMPARE(update::AnalyzeSoftDetail(base, p.url, true), written);

    QCOMPARE(entryRow(base, p.url)->DetailRead, written);
    // Every fetch makes five attempts to open the page.
    const int attempts = 5 * failedFetches + (written ? 1 : 0);
    QCOMPARE(int(simServer().requests().recordsFor(failing).size()), attempts);
    QCOMPARE(m_messages->shown.size(), written ? 0 : 1);
    if (!written) {
        QCOMPARE(m_messages->shown[0].title, u"接続失敗"_s);
        QVERIFY(m_messages->shown[0].text.startsWith(u"データの取得に失敗しました。"_s));
    }
}

void TstUpdateRun::currentDetailIsNotReread()
{
    config::settings().Update = 0;
    const Package& p = simSite().packages().first();
    const QString base = simSite().folder(p.home).url;
    listEntry(p);

    QVERIFY(!update::AnalyzeSoftDetail(base, p.url, false));

    QVERIFY(requestedUrls().isEmpty());
    const std::optional<catalogue::EntryRow> row = entryRow(base, p.url);
    QVERIFY(!row->DetailRead);
    QCOMPARE(row->RegiMoney, kListPrice);
}

void TstUpdateRun::detailsLostFromTheRowComeBackFromTheCache()
{
    const Package& p = simSite().packages().first();
    const QString base = simSite().folder(p.home).url;
    listEntry(p);
    QVERIFY(update::AnalyzeSoftDetail(base, p.url, true));
    // The category was deleted and read again: the row is back without its details, while the
    // cache still holds both pages.
    listEntry(p);
    QVERIFY(!entryRow(base, p.url)->DetailRead);
    simServer().requests().clear();
    for (int mode : {0, 1}) {
        config::settings().Update = mode;
        listEntry(p);
        QVERIFY(update::AnalyzeSoftDetail(base, p.url, false));
        const std::optional<catalogue::EntryRow> row = entryRow(base, p.url);
        QVERIFY(row->DetailRead);
        QCOMPARE(row->AuthorURL, simSite().detail(p.index).authorUrl);
        QCOMPARE(row->FTPURL, simSite().detail(p.index).ftpUrl);
        // Read once, the current pages stop the analysis again.
        QVERIFY(!update::AnalyzeSoftDetail(base, p.url, false));
    }
    QVERIFY(requestedUrls().isEmpty());
}
