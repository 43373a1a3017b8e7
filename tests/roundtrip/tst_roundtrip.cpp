// Round trip between the simulated site and the page analysers: every page the generator writes
// is read back by the analysers, and what they find must be what the generator put there.
#include "RoundTripDiff.h"
#include "catalogue/Catalogue.h"
#include "catalogue/Schema.h"
#include "config/Settings.h"
#include "config/SoftTypes.h"
#include "support/TestFolder.h"
#include "talvex-sim/Site.h"
#include "talvex-sim/SitePages.h"
#include "update/CategoryAnalysis.h"
#include "update/DetailAnalysis.h"
#include "update/ListAnalysis.h"
#include "update/PageCache.h"
#include "update/RunState.h"
#include "update/SiteWriters.h"
#include "util/Text.h"

#include <QHash>
#include <QTest>
#include <map>
#include <memory>

using namespace Qt::StringLiterals;
using talvexsim::Folder;
using talvexsim::ListOrder;
using talvexsim::ListRow;
using talvexsim::Site;
using talvexsim::SitePages;

namespace {

const QList<quint64> kSeeds{1, 7, 20260611};

std::shared_ptr<const Site> sharedSite(quint64 seed)
{
    static std::map<quint64, std::shared_ptr<const Site>> sites;
    auto& site = sites[seed];
    if (!site)
        site = std::make_shared<const Site>(seed, 1);
    return site;
}

// The web host's page at an absolute address, as the page cache would hold it: its bytes
// decoded from CP932. Empty when the site does not answer 200.
QString pageText(const SitePages& pages, const QString& url)
{
    const talvexsim::Resource r =
        pages.get(SitePages::webHost(), url.mid(config::SiteRoot.size() - 1));
    return r.status == 200 ? text::DecodeCp932(r.body) : QString();
}

QByteArray pageBytes(const SitePages& pages, const QString& url)
{
    return pages.get(SitePages::webHost(), url.mid(config::SiteRoot.size() - 1)).body;
}

update::ListLayout analysedLayout(const Folder& f)
{
    if (!f.hasList)
        return update::ListLayout::None;
    switch (f.layout) {
    case talvexsim::ListLayout::FileList:
        return update::ListLayout::FileList;
    case talvexsim::ListLayout::LI:
        return update::ListLayout::LI;
    case talvexsim::ListLayout::Classic:
        break;
    }
    return update::ListLayout::Classic;
}

const char* orderName(ListOrder order)
{
    static const char* names[] = {"index", "by_date", "by_name"};
    return names[int(order)];
}

void compareEntry(RoundTripDiff& diff, const Folder& f, const ListRow& want,
                  const update::SoftListEntry& got)
{
    diff.compare("BaseURL", f.url, got.BaseURL);
    diff.compare("TargetURL", want.targetUrl, got.TargetURL);
    diff.compare("SoftName", want.softName, got.SoftName);
    diff.compare("Version", want.version, got.Version);
    diff.compare("FileSize", want.fileSize, got.FileSize.value_or(-1));
    diff.compare("FileType", want.fileType, got.FileType);
    diff.compare("NewFlag", want.newFlag, got.NewFlag);
    diff.compare("PickUpURL", want.pickUpUrl, got.PickUpURL);
    diff.compare("NewsURL", want.newsUrl, got.NewsURL);
    diff.compare("OpenDate", want.openDate, got.OpenDate);
    diff.compare("Description", want.description, got.Description);
    diff.compare("RegiMoney", want.regiMoney, got.RegiMoney);
    diff.compare("Ranking", want.ranking, got.Ranking);
}

void compareRow(RoundTripDiff& diff, const ListRow& want, const catalogue::EntryRow& got)
{
    diff.compare("SoftName", want.softName, got.SoftName);
    diff.compare("Version", want.version, got.Version);
    diff.compare("FileSize", want.fileSize, got.FileSize.value_or(-1));
    diff.compare("FileType", want.fileType, got.FileType);
    diff.compare("NewFlag", want.newFlag, got.NewFlag);
    diff.compare("PickUpURL", want.pickUpUrl, got.PickUpURL);
    diff.compare("NewsURL", want.newsUrl, got.NewsURL);
    diff.compare("OpenDate", want.openDate,
                 got.OpenDate ? std::optional(got.OpenDate->date()) : std::nullopt);
    diff.compare("Description", want.description, got.Description);
    diff.compare("RegiMoney", want.regiMoney, got.RegiMoney);
    diff.compare("Ranking", want.ranking, got.Ranking.value_or(-1));
}

// The folders a correct reading of a category page writes, in link order: the sub-categories,
// then the first link after the "<!-- comment strap" marker, which a search that starts before
// the marker still finds.
QList<int> expectedFolders(const Folder& f)
{
    QList<int> out = f.children;
    if (!f.strapLinks.isEmpty())
        out.append(f.strapLinks.first());
    return out;
}

// The catalogue side of the category analysis, kept in memory.
class MemoryFolderWriter final : public update::FolderWriter
{
public:
    std::optional<bool> saveFolder(const update::FolderRecord& folder) override
    {
        const bool before = m_marks.value(folder.TargetURL, false);
        m_marks.insert(folder.TargetURL, true);
        return before;
    }

private:
    QHash<QString, bool> m_marks;
};

// The features the list pages must show somewhere, so the comparison is not vacuous.
struct ListCoverage
{
    QSet<update::ListLayout> layouts;
    int entries = 0, newMarks = 0, pickUps = 0, news = 0, prices = 0, noSize = 0, noDate = 0;
    int undatedSizes = 0;
    int nextPages = 0;

    void count(const ListRow& r)
    {
        ++entries;
        newMarks += r.newFlag;
        pickUps += !r.pickUpUrl.isEmpty();
        news += !r.newsUrl.isEmpty();
        prices += r.regiMoney > 0;
        noSize += r.fileSize < 0;
        noDate += !r.openDate.isValid();
        undatedSizes += !r.openDate.isValid() && r.fileSize >= 0;
    }
};

// A folder of the layout whose list has several pages and is read in the by-date order.
const Folder* multiPageFolder(const Site& site, talvexsim::ListLayout layout)
{
    for (const Folder& f : site.folders()) {
        const bool ordered =
            f.url.count(u'/') >= 7 && f.area != talvexsim::kAreaNewArrivals && f.hasList;
        const bool pages = layout == talvexsim::ListLayout::Classic ? f.packages.size() > 3
                                                                    : site.pageCount(f.index) > 1;
        if (ordered && f.layout == layout && pages)
            return &f;
    }
    return nullptr;
}

} // namespace

class TstRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_folder.reset(); }
    void listPages_data();
    void listPages();
    void categoryPages_data();
    void categoryPages();
    void detailPages_data();
    void detailPages();
    void catalogueRows_data();
    void catalogueRows();
    void catalogueFolders();

private:
    void writeCachePage(const SitePages& pages, const QString& folderUrl, ListOrder order,
                        int page);

    std::unique_ptr<TestFolder> m_folder;
};

void TstRoundTrip::init()
{
    m_folder = std::make_unique<TestFolder>();
    m_folder->loadFirstRunSoftTypes();
}

void TstRoundTrip::listPages_data()
{
    QTest::addColumn<quint64>("seed");
    QTest::addColumn<ListOrder>("order");
    for (quint64 seed : kSeeds) {
        for (ListOrder order : talvexsim::kAllOrders)
            QTest::addRow("seed %llu, %s", seed, orderName(order)) << seed << order;
    }
}

// Every list page of every folder, in the order of the row: the analysis finds exactly the
// generator's entries with every field, the layout, and whether another page follows.
void TstRoundTrip::listPages()
{
    QFETCH(quint64, seed);
    QFETCH(ListOrder, order);
    const SitePages pages(sharedSite(seed));
    const Site& site = pages.site();
    RoundTripDiff diff;
    ListCoverage seen;
    for (const Folder& f : site.folders()) {
        if (!f.hasList && order != ListOrder::Index)
            continue;
        const int count = site.pageCount(f.index);
        for (int page = 1; page <= count; ++page) {
            const QString url = site.listPageUrl(f.index, order, page);
            diff.setPlace(u"seed "_s + QString::number(seed) + u' ' + url);
            const update::SoftListPage got =
                update::AnalyzeSoftList(pageText(pages, url), f.url, page, 0);
            diff.compare("layout", int(analysedLayout(f)), int(got.layout));
            const int next = f.hasList && page < count ? page + 1 : -1;
            diff.compare("next page", next, got.nextPage);
            const QList<ListRow> rows = site.listRows(f.index, order, page);
            diff.compare("entry count", rows.size(), got.entries.size());
            for (qsizetype i = 0; i < qMin(rows.size(), got.entries.size()); ++i) {
                diff.setPlace(u"seed "_s + QString::number(seed) + u' ' + url + u" rank " +
                              QString::number(i + 1));
                compareEntry(diff, f, rows[i], got.entries[i]);
                seen.count(rows[i]);
            }
            seen.layouts.insert(got.layout);
            seen.nextPages += got.hasNextPage();
        }
    }
    QVERIFY2(diff.isEmpty(), qPrintable(diff.report()));
    const QSet<update::ListLayout> layouts{update::ListLayout::FileList, update::ListLayout::LI,
                                           update::ListLayout::Classic};
    QVERIFY(seen.layouts.contains(layouts));
    QVERIFY(seen.newMarks > 0 && seen.pickUps > 0 && seen.news > 0 && seen.prices > 0);
    QVERIFY(seen.noSize > 0 && seen.noDate > 0 && seen.undatedSizes > 0 && seen.nextPages > 0);
}

void TstRoundTrip::categoryPages_data()
{
    QTest::addColumn<quint64>("seed");
    for (quint64 seed : kSeeds)
        QTest::addRow("seed %llu", seed) << seed;
}

// Every folder's first page gives exactly its sub-categories (address, name, depth) in link
// order; image links, links to ancestors and to the page itself write nothing.
void TstRoundTrip::categoryPages()
{
    QFETCH(quint64, seed);
    const SitePages pages(sharedSite(seed));
    const Site& site = pages.site();
    RoundTripDiff diff;
    int withChildren = 0;
    for (const Folder& f : site.folders()) {
        const QString url = site.listPageUrl(f.index, ListOrder::Index, 1);
        MemoryFolderWriter writer;
        const update::CategoryContext context{f.url, f.area, config::AreaUrls.at(f.area), 0};
        const update::CategoryAnalysis got =
            update::AnalyzeHTML(pageText(pages, url), context, writer);
        const QList<int> want = expectedFolders(f);
        diff.setPlace(u"seed "_s + QString::number(seed) + u' ' + url);
        diff.compare("folder count", want.size(), got.folders.size());
        diff.compare("children count", want.size(), got.children.size());
        diff.compare("found-folder counter", want.size(), got.foundFolders);
        for (qsizetype i = 0; i < qMin(want.size(), got.folders.size()); ++i) {
            const Folder& c = site.folder(want[i]);
            diff.setPlace(u"seed "_s + QString::number(seed) + u' ' + url + u" link " +
                          QString::number(i + 1));
            diff.compare("TargetURL", c.url, got.folders[i].TargetURL);
            diff.compare("Description", c.name, got.folders[i].Description);
            diff.compare("URLClass", c.depth, got.folders[i].URLClass);
            if (i < got.children.size())
                diff.compare("child", c.url, got.children[i]);
        }
        withChildren += !f.children.isEmpty();
    }
    QVERIFY2(diff.isEmpty(), qPrintable(diff.report()));
    QVERIFY(withChildren > 10);
}

void TstRoundTrip::detailPages_data()
{
    categoryPages_data();
}

// Every package's detail and download pages give the generator's detail fields.
void TstRoundTrip::detailPages()
{
    QFETCH(quint64, seed);
    const SitePages pages(sharedSite(seed));
    const Site& site = pages.site();
    RoundTripDiff diff;
    for (const talvexsim::Package& p : site.packages()) {
        const talvexsim::Detail want = site.detail(p.index);
        update::SoftwareDetail got;
        const QString download = update::DownloadPageUrl(p.url);
        QCOMPARE(download, Site::downloadPageUrl(p.url));
        update::AnalyzeSoftDetailEx(pageText(pages, p.url), &got);
        update::AnalyzeSoftDetailEx2(pageText(pages, download), &got);
        diff.setPlace(u"seed "_s + QString::number(seed) + u' ' + p.url);
        diff.compare("FTPURL", want.ftpUrl, got.FTPURL);
        diff.compare("Category", want.category, got.Category);
        diff.compare("DescriptionDetail", want.descriptionDetail, got.DescriptionDetail);
        diff.compare("PaymentInfo", want.paymentInfo, got.PaymentInfo);
        diff.compare("OSType", want.osType, got.OSType);
        diff.compare("RegiMoney", want.regiMoney, got.RegiMoney.value_or(-1));
        diff.compare("Author", want.author, got.Author);
        diff.compare("AuthorURL", want.authorUrl, got.AuthorURL);
        diff.compare("FileSize2", want.fileSize2, got.FileSize2);
        diff.compare("RegistDate", want.registDate, got.RegistDate);
        diff.compare("PaymentURL", want.paymentUrl, got.PaymentURL);
    }
    QVERIFY2(diff.isEmpty(), qPrintable(diff.report()));
}

void TstRoundTrip::writeCachePage(const SitePages& pages, const QString& folderUrl, ListOrder order,
                                  int page)
{
    const QString file = update::CacheFileName(folderUrl, int(order), page);
    QVERIFY(!file.isEmpty());
    const QString url = update::ListPageUrl(folderUrl, int(order), page);
    QVERIFY(text::WriteFileAtomic(file, pageBytes(pages, url)));
}

void TstRoundTrip::catalogueRows_data()
{
    QTest::addColumn<talvexsim::ListLayout>("layout");
    QTest::newRow("file_list") << talvexsim::ListLayout::FileList;
    QTest::newRow("LI") << talvexsim::ListLayout::LI;
    QTest::newRow("classic") << talvexsim::ListLayout::Classic;
}

// A whole folder's list, fetched into the page cache and read page after page by the list
// analysis's catalogue writer, gives one row per entry with the generator's values.
void TstRoundTrip::catalogueRows()
{
    QFETCH(talvexsim::ListLayout, layout);
    const SitePages pages(sharedSite(kSeeds.first()));
    const Site& site = pages.site();
    const Folder* f = multiPageFolder(site, layout);
    QVERIFY(f);
    config::Settings& s = config::settings();
    s.dbname = m_folder->file(catalogue::kCatalogueFile);
    s.CacheFolder = m_folder->file(u"CACHE"_s);
    s.ReadSortType = int(ListOrder::ByDate);
    QVERIFY(catalogue::CreateEmptyCatalogue(s.dbname));
    const int count = site.pageCount(f->index);
    QList<ListRow> want;
    for (int page = 1; page <= count; ++page) {
        writeCachePage(pages, f->url, ListOrder::ByDate, page);
        want += site.listRows(f->index, ListOrder::ByDate, page);
    }

    int read = 0;
    for (int page = 1; page != -1; ++read)
        QVERIFY(update::AnalyzeSoftList(nullptr, f->url, &page));
    QCOMPARE(read, count);

    catalogue::Db db;
    QVERIFY(catalogue::OpenDb(db, s.dbname));
    QHash<QString, catalogue::EntryRow> rows;
    for (const catalogue::EntryRow& row : catalogue::FolderEntries(db, f->url))
        rows.insert(row.TargetURL, row);
    QCOMPARE(rows.size(), want.size());
    RoundTripDiff diff;
    for (const ListRow& r : std::as_const(want)) {
        diff.setPlace(f->url + u" row " + r.targetUrl);
        if (!rows.contains(r.targetUrl))
            diff.note(u"missing"_s);
        else
            compareRow(diff, r, rows.value(r.targetUrl));
    }
    QVERIFY2(diff.isEmpty(), qPrintable(diff.report()));

    // Analysed again, a row gets its list columns back and keeps its marks and details.
    catalogue::EntryRow kept = rows.value(want.first().targetUrl);
    kept.SoftName = u"stale"_s;
    kept.Favorites = true;
    kept.DetailRead = true;
    kept.Author = u"作者"_s;
    kept.FileSize2 = 12345;
    QVERIFY(catalogue::SaveEntry(db, kept));
    for (int page = 1; page != -1;)
        QVERIFY(update::AnalyzeSoftList(nullptr, f->url, &page));
    const catalogue::EntryRow again = *catalogue::FindEntry(db, f->url, kept.TargetURL);
    diff.setPlace(u"analysed again"_s);
    compareRow(diff, want.first(), again);
    QVERIFY2(diff.isEmpty(), qPrintable(diff.report()));
    QVERIFY(again.Favorites && again.DetailRead);
    QCOMPARE(again.Author, kept.Author);
    QCOMPARE(again.FileSize2, kept.FileSize2);
    QCOMPARE(catalogue::FolderEntries(db, f->url).size(), want.size());
}

// The category analysis's catalogue writer stores a library folder's sub-categories as folder
// rows marked for this run and hands them back to walk.
void TstRoundTrip::catalogueFolders()
{
    const SitePages pages(sharedSite(kSeeds.first()));
    const Site& site = pages.site();
    const Folder* f = nullptr;
    for (const Folder& c : site.folders()) {
        if (c.area == talvexsim::kAreaLibrary && c.depth == 1 && c.children.size() >= 3) {
            f = &c;
            break;
        }
    }
    QVERIFY(f);
    config::Settings& s = config::settings();
    s.dbname = m_folder->file(catalogue::kCatalogueFile);
    s.CacheFolder = m_folder->file(u"CACHE"_s);
    QVERIFY(catalogue::CreateEmptyCatalogue(s.dbname));
    writeCachePage(pages, f->url, ListOrder::Index, 1);
    update::RunState& state = update::runState();
    state = update::RunState{};
    state.CurrentArea = f->area;
    state.UpdateTargetUrl = config::AreaUrls.at(f->area);

    QStringList children;
    QVERIFY(update::AnalyzeHTML(nullptr, f->url, &children));
    QStringList want;
    for (int c : expectedFolders(*f))
        want.append(site.folder(c).url);
    QCOMPARE(children, want);
    QCOMPARE(state.FoundFolders, want.size());

    catalogue::Db db;
    QVERIFY(catalogue::OpenDb(db, s.dbname));
    for (int c : expectedFolders(*f)) {
        const std::optional<catalogue::FolderRow> row =
            catalogue::FindFolder(db, site.folder(c).url);
        QVERIFY2(row, qPrintable(site.folder(c).url));
        QCOMPARE(row->Description, site.folder(c).name);
        QCOMPARE(row->URLClass, site.folder(c).depth);
        QVERIFY(row->UpdateFlg);
    }
    state = update::RunState{};
}

QTEST_GUILESS_MAIN(TstRoundTrip)
#include "tst_roundtrip.moc"
