// The conditions and the marking run, on a real catalogue: which entries a search marks.

#include "SearchFixture.h"
#include "search/SearchRun.h"
#include "tst_search.h"

#include <QTest>

using namespace Qt::StringLiterals;
using fixture::kLibrary;
using search::SearchConditions;
using search::SearchText;

Q_DECLARE_METATYPE(SearchConditions)

namespace {

const QString kUtil = kLibrary + u"win/util/"_s;

catalogue::EntryRow Row(const QString& base, const QString& name, const QString& description,
                        QDate date = {}, int type = 1, qint64 size = -1)
{
    catalogue::EntryRow row = fixture::Entry(base, name);
    row.Description = description;
    if (date.isValid())
        row.OpenDate = QDateTime(date, QTime(0, 0));
    row.FileType = type;
    if (size >= 0)
        row.FileSize = size;
    return row;
}

// Entries whose names, texts, dates, types, sizes, marks and folders tell the conditions apart.
void AddSample(const fixture::SearchCatalogue& db)
{
    catalogue::EntryRow a = Row(kUtil, u"TextEditor Pro"_s, u"テキストエディタ。タブ、検索と置換"_s,
                                {2024, 1, 10}, 1, 100);
    a.PickUpURL = config::SiteRoot + u"pickup/1.html"_s;
    catalogue::EntryRow b =
        Row(kUtil, u"Text Super Editor"_s, u"高機能エディタ"_s, {2024, 2, 1}, 2, 2048);
    b.NewsURL = config::SiteRoot + u"news/2.html"_s;
    db.addEntries({a, b, Row(kUtil, u"Editor Text"_s, u"editor 100% free"_s, {2023, 12, 31}),
                   Row(kLibrary + u"win/"_s, u"Bob's Tool"_s, u"a_b \\path"_s, {}, 1, 99),
                   Row(kUtil, u"ver2 util"_s, u"axb 1000"_s, {2024, 1, 31}, 3, 101),
                   Row(kLibrary + u"a_b/"_s, u"Under"_s, {}),
                   Row(kLibrary + u"axb/"_s, u"Cross"_s, {}),
                   Row(fixture::kNewArrivals + u"win/"_s, u"TextEditor New"_s, {}, {2024, 1, 20})});
}

// Conditions on the library area (or scope), as set.
using Setter = void (*)(SearchConditions&);
SearchConditions Where(Setter set, const QString& scope = kLibrary)
{
    SearchConditions c;
    c.scope = scope;
    if (set)
        set(c);
    return c;
}

} // namespace

void TstSearch::marking_data()
{
    QTest::addColumn<SearchConditions>("conditions");
    QTest::addColumn<QStringList>("marked");
    using C = SearchConditions;
    QTest::newRow("nothing set: the whole library area")
        << Where(nullptr)
        << QStringList{u"Bob's Tool"_s,     u"Cross"_s, u"Editor Text"_s, u"Text Super Editor"_s,
                       u"TextEditor Pro"_s, u"Under"_s, u"ver2 util"_s};
    QTest::newRow("new-arrivals area")
        << Where(nullptr, fixture::kNewArrivals) << QStringList{u"TextEditor New"_s};
    QTest::newRow("a category and below") << Where(nullptr, kUtil)
                                          << QStringList{u"Editor Text"_s, u"Text Super Editor"_s,
                                                         u"TextEditor Pro"_s, u"ver2 util"_s};
    QTest::newRow("scope: _ is literal")
        << Where(nullptr, kLibrary + u"a_b/"_s) << QStringList{u"Under"_s};
    QTest::newRow("two words in order, anything between")
        << Where([](C& c) { c.name = u"text editor"_s; })
        << QStringList{u"Text Super Editor"_s, u"TextEditor Pro"_s};
    QTest::newRow("apostrophe") << Where([](C& c) { c.name = u"Bob's"_s; })
                                << QStringList{u"Bob's Tool"_s};
    QTest::newRow("% is literal") << Where([](C& c) { c.description = u"100%"_s; })
                                  << QStringList{u"Editor Text"_s};
    QTest::newRow("_ is literal") << Where([](C& c) { c.description = u"a_b"_s; })
                                  << QStringList{u"Bob's Tool"_s};
    QTest::newRow("\\ is literal")
        << Where([](C& c) { c.description = u"\\path"_s; }) << QStringList{u"Bob's Tool"_s};
    QTest::newRow("Japanese words")
        << Where([](C& c) { c.description = u"検索 置換"_s; }) << QStringList{u"TextEditor Pro"_s};
    QTest::newRow("both dates, bounds included") << Where([](C& c) {
        c.fromDate = QDate(2024, 1, 10);
        c.toDate = QDate(2024, 1, 31);
    }) << QStringList{u"TextEditor Pro"_s, u"ver2 util"_s};
    QTest::newRow("from date only") << Where([](C& c) { c.fromDate = QDate(2024, 1, 31); })
                                    << QStringList{u"Text Super Editor"_s, u"ver2 util"_s};
    QTest::newRow("to date only") << Where([](C& c) { c.toDate = QDate(2023, 12, 31); })
                                  << QStringList{u"Editor Text"_s};
    QTest::newRow("type") << Where([](C& c) { c.fileType = 2; })
                          << QStringList{u"Text Super Editor"_s};
    QTest::newRow("smallest size only")
        << Where([](C& c) { c.minSize = 100; })
        << QStringList{u"Text Super Editor"_s, u"TextEditor Pro"_s, u"ver2 util"_s};
    QTest::newRow("largest size only") << Where([](C& c) { c.maxSize = 100; })
                                       << QStringList{u"Bob's Tool"_s, u"TextEditor Pro"_s};
    QTest::newRow("pick-up") << Where([](C& c) { c.pickup = true; })
                             << QStringList{u"TextEditor Pro"_s};
    QTest::newRow("news") << Where([](C& c) { c.news = true; })
                          << QStringList{u"Text Super Editor"_s};
    QTest::newRow("description, dates and type") << Where([](C& c) {
        c.description = u"エディタ"_s;
        c.fromDate = QDate(2024, 1, 1);
        c.toDate = QDate(2024, 12, 31);
        c.fileType = 1;
    }) << QStringList{u"TextEditor Pro"_s};
}

void TstSearch::marking()
{
    QFETCH(SearchConditions, conditions);
    QFETCH(QStringList, marked);
    fixture::SearchCatalogue db;
    AddSample(db);
    // A mark from an earlier search goes.
    db.execute(u"UPDATE T_Softwares SET Search = 1 WHERE SoftName = 'TextEditor New'"_s);
    const search::SearchOutcome outcome = search::RunSearch(conditions);
    QVERIFY2(outcome.succeeded(), qPrintable(outcome.error));
    QCOMPARE(db.marked(), marked);
    QCOMPARE(*outcome.hits, marked.size());
}

void TstSearch::failedSearchKeepsMarks_data()
{
    QTest::addColumn<SearchConditions>("conditions");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("which");
    QTest::addColumn<QString>("told");
    using C = SearchConditions;
    QTest::newRow("unclosed [ in the name")
        << Where([](C& c) { c.name = u"Bob[s"_s; }) << QString() << int(SearchText::Name)
        << u"ソフト名の「Bob[s」は検索の条件に使えません。"_s;
    QTest::newRow("descending range in the description")
        << Where([](C& c) { c.description = u"[z-a]"_s; }) << QString()
        << int(SearchText::Description)
        << u"ソフトの説明に含まれる文字列の「[z-a]」は検索の条件に使えません。"_s;
    QTest::newRow("marking fails after the reset")
        << Where(nullptr) << u"trigger"_s << int(SearchText::None)
        << u"データベースを検索できませんでした。\r\n前回の検索結果はそのまま残っています。"_s;
    QTest::newRow("no catalogue")
        << Where(nullptr) << u"missing"_s << int(SearchText::None)
        << u"データベースを開けないため、検索できませんでした。\r\n前回の検索結果はそのまま残っています。"_s;
}

void TstSearch::failedSearchKeepsMarks()
{
    QFETCH(SearchConditions, conditions);
    QFETCH(QString, fault);
    QFETCH(int, which);
    QFETCH(QString, told);
    fixture::SearchCatalogue db;
    AddSample(db);
    QVERIFY(search::RunSearch(Where([](SearchConditions& c) { c.name = u"Under"_s; })).succeeded());
    const QString path = config::settings().dbname;
    if (fault == u"trigger") // marking this entry fails, after the reset has run
        db.execute(u"CREATE TRIGGER boom BEFORE UPDATE OF Search ON T_Softwares WHEN NEW.Search "
                   "<> 0 AND NEW.SoftName = 'Cross' BEGIN SELECT RAISE(ABORT, 'boom'); END"_s);
    if (fault == u"missing")
        config::settings().dbname = path + u".gone"_s;
    const search::SearchOutcome outcome = search::RunSearch(conditions);
    QVERIFY(!outcome.succeeded());
    QCOMPARE(int(outcome.invalidText), which);
    QVERIFY2(outcome.error.startsWith(told), qPrintable(outcome.error));
    config::settings().dbname = path;
    QVERIFY(!QFile::exists(path + u".gone"_s));
    QCOMPARE(db.marked(), QStringList{u"Under"_s});
}

void TstSearch::dateBox_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date"); // invalid: no date
    QTest::newRow("yyyy/mm/dd") << u"2024/01/05"_s << QDate(2024, 1, 5);
    QTest::newRow("yyyy/m/d") << u"2024/1/5"_s << QDate(2024, 1, 5);
    QTest::newRow("no such day") << u"2024/02/30"_s << QDate();
    QTest::newRow("two-digit year") << u"24/01/05"_s << QDate();
    QTest::newRow("empty") << QString() << QDate();
    QTest::newRow("full-width digits") << u"２０２４/1/5"_s << QDate();
}

void TstSearch::dateBox()
{
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QCOMPARE(search::ReadDateBox(text).value_or(QDate()), date);
}

void TstSearch::monthBefore_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("before");
    QTest::newRow("same day") << QDate(2024, 6, 15) << QDate(2024, 5, 15);
    QTest::newRow("into last year") << QDate(2024, 1, 15) << QDate(2023, 12, 15);
    QTest::newRow("Feb lacks 31 (leap year)") << QDate(2024, 3, 31) << QDate(2024, 3, 2);
    QTest::newRow("April lacks 31") << QDate(2024, 5, 31) << QDate(2024, 5, 1);
}

void TstSearch::monthBefore()
{
    QFETCH(QDate, today);
    QFETCH(QDate, before);
    QCOMPARE(search::MonthBefore(today), before);
}
