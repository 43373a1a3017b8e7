#include "catalogue/Catalogue.h"
#include "catalogue/Compact.h"
#include "catalogue/PageTransaction.h"
#include "catalogue/Schema.h"
#include "config/Settings.h"
#include "support/TestFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <ctime>
#include <memory>
#include <optional>

using namespace catalogue;
using namespace Qt::StringLiterals;

namespace {

const QString kArea = config::SiteRoot + QStringLiteral("tpack/filearea/");

QString url(const QString& relative)
{
    return kArea + relative;
}

FolderRow folder(const QString& relative, int urlClass = 1)
{
    FolderRow row;
    row.TargetURL = url(relative);
    row.Description = relative;
    row.URLClass = urlClass;
    row.UpdateDate = QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9));
    return row;
}

EntryRow entry(const QString& base, const QString& target,
               const QString& name = QStringLiteral("soft"))
{
    EntryRow row;
    row.BaseURL = base;
    row.TargetURL = target;
    row.SoftName = name;
    return row;
}

QStringList urls(const QList<FolderRow>& rows)
{
    QStringList out;
    for (const FolderRow& r : rows)
        out.append(r.TargetURL);
    return out;
}

QStringList names(const QList<EntryRow>& rows)
{
    QStringList out;
    for (const EntryRow& r : rows)
        out.append(r.SoftName);
    return out;
}

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestFolder> m_folder;
    QString m_path;

    // One folder row and one plain entry per URL, so entry subtrees can be checked against
    // folder ones.
    void saveFoldersWithEntries(const QStringList& relatives)
    {
        PageTransaction page(m_path);
        QVERIFY(page.isOpen());
        for (const QString& r : relatives) {
            QVERIFY(SaveFolder(page.db(), folder(r, int(r.count(u'/')))));
            QVERIFY(SaveEntry(page.db(),
                              entry(url(r), config::SiteRoot + QStringLiteral("soft/1.html"), r)));
        }
        QVERIFY(page.commit());
    }
    QStringList traceLines() const { return m_folder->readLines(QStringLiteral("Trace.Log")); }

private slots:
    void init()
    {
        m_folder = std::make_unique<TestFolder>();
        m_path = m_folder->file(QStringLiteral("Pelimond.mdb"));
        QVERIFY(CreateEmptyCatalogue(m_path));
        config::settings().dbname = m_path;
    }
    void cleanup() { m_folder.reset(); }

    void subtreeIsALiteralPrefix_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("folder and its subfolders, not a sibling")
            << url(QStringLiteral("win/"))
            << QStringList{QStringLiteral("win/"), QStringLiteral("win/game/"),
                           QStringLiteral("win/game/rpg/"), QStringLiteral("WIN/tool/")};
        QTest::newRow("percent is literal")
            << url(QStringLiteral("win%/")) << QStringList{QStringLiteral("win%/")};
        QTest::newRow("underscore is literal")
            << url(QStringLiteral("wi_/")) << QStringList{QStringLiteral("wi_/")};
        QTest::newRow("backslash is literal")
            << url(QStringLiteral("back\\slash/")) << QStringList{QStringLiteral("back\\slash/")};
        QTest::newRow("apostrophe")
            << url(QStringLiteral("it's/")) << QStringList{QStringLiteral("it's/")};
        QTest::newRow("nothing below") << url(QStringLiteral("mac/")) << QStringList{};
    }
    void subtreeIsALiteralPrefix()
    {
        QFETCH(QString, key);
        QFETCH(QStringList, expected);
        const QStringList all{QStringLiteral("win/"),          QStringLiteral("win/game/"),
                              QStringLiteral("win/game/rpg/"), QStringLiteral("WIN/tool/"),
                              QStringLiteral("win31/"),        QStringLiteral("win%/"),
                              QStringLiteral("wi_/"),          QStringLiteral("wix/"),
                              QStringLiteral("back\\slash/"),  QStringLiteral("backxslash/"),
                              QStringLiteral("it's/")};
        saveFoldersWithEntries(all);
        Db db;
        QVERIFY(OpenDb(db, m_path));
        QCOMPARE(CountFoldersBelow(db, key), int(expected.size()));
        QCOMPARE(CountEntriesBelow(db, key), int(expected.size()));
        QVERIFY(DeleteFoldersBelow(db, key));
        QVERIFY(DeleteEntriesBelow(db, key));
        for (const QString& r : all) {
            const bool gone = expected.contains(r);
            QCOMPARE(FindFolder(db, url(r)).has_value(), !gone);
            QCOMPARE(FolderEntries(db, url(r)).size(), gone ? 0 : 1);
        }
    }

    void branchIsParentsFirstAndDepthLimited()
    {
        saveFoldersWithEntries({QStringLiteral("win31/"), QStringLiteral("win/game/rpg/"),
                                QStringLiteral("win/game/"), QStringLiteral("win/"),
                                QStringLiteral("win/tool/")});
        Db db;
        QVERIFY(OpenDb(db, m_path));
        QCOMPARE(urls(FolderBranch(db, url(QStringLiteral("win/")), 2)),
                 (QStringList{url(QStringLiteral("win/game/")), url(QStringLiteral("win/tool/"))}));
        QCOMPARE(urls(FolderBranch(db, kArea, 3)),
                 (QStringList{url(QStringLiteral("win/")), url(QStringLiteral("win/game/")),
                              url(QStringLiteral("win/game/rpg/")),
                              url(QStringLiteral("win/tool/")), url(QStringLiteral("win31/"))}));
        QCOMPARE(FolderDescription(db, url(QStringLiteral("win/game/"))),
                 QStringLiteral("win/game/"));
        QVERIFY(!FolderDescription(db, url(QStringLiteral("dos/"))));
        QCOMPARE(urls(TopFolders(db)),
                 (QStringList{url(QStringLiteral("win31/")), url(QStringLiteral("win/"))}));
    }

    void folderMarksAndKeysIgnoringCase()
    {
        saveFoldersWithEntries(
            {QStringLiteral("win/"), QStringLiteral("win/game/"), QStringLiteral("dos/")});
        Db db;
        QVERIFY(OpenDb(db, m_path));
        FolderRow row = *FindFolder(db, url(QStringLiteral("WIN/")));
        row.UpdateFlg = true;
        row.Description = QStringLiteral("Windows");
        QVERIFY(SaveFolder(db, row));
        FolderRow dos = *FindFolder(db, url(QStringLiteral("dos/")));
        dos.UpdateFlg = true;
        QVERIFY(SaveFolder(db, dos));
        QCOMPARE(CountFoldersBelow(db, kArea), 3); // edited in place, not added
        QCOMPARE(FindFolder(db, url(QStringLiteral("win/")))->Description,
                 QStringLiteral("Windows"));
        QVERIFY(ClearFolderMarksBelow(db, url(QStringLiteral("win/"))));
        QVERIFY(!FindFolder(db, url(QStringLiteral("win/")))->UpdateFlg);
        QVERIFY(FindFolder(db, url(QStringLiteral("dos/")))->UpdateFlg);
        QVERIFY(ClearFolderMarks(db));
        QVERIFY(!FindFolder(db, url(QStringLiteral("dos/")))->UpdateFlg);
    }

    void marksSurviveDeletesAndRefreshEditsInPlace()
    {
        const QString base = url(QStringLiteral("win/game/"));
        const QString page = config::SiteRoot + QStringLiteral("soft/");
        Db db;
        QVERIFY(OpenDb(db, m_path));
        EntryRow favourite = entry(base, page + u"f.html", QStringLiteral("fav"));
        favourite.Favorites = true;
        favourite.DetailRead = true;
        favourite.Author = QStringLiteral("作者");
        EntryRow found = entry(base, page + u"s.html", QStringLiteral("found"));
        found.Search = true;
        QVERIFY(SaveEntry(db, favourite));
        QVERIFY(SaveEntry(db, found));
        QVERIFY(SaveEntry(db, entry(base, page + u"p.html", QStringLiteral("plain"))));

        QVERIFY(DeleteFolderEntries(db, base));
        QCOMPARE(names(FolderEntries(db, base)),
                 (QStringList{QStringLiteral("fav"), QStringLiteral("found")}));

        // The list analysis reads the row, writes its list columns and keeps the rest.
        EntryRow again =
            FindEntry(db, base, page + u"f.html").value_or(entry(base, page + u"f.html"));
        again.SoftName = QStringLiteral("fav 2.0");
        again.Ranking = 4;
        QVERIFY(SaveEntry(db, again));
        const EntryRow edited = *FindEntry(db, base, page + u"f.html");
        QCOMPARE(edited.SoftName, QStringLiteral("fav 2.0"));
        QVERIFY(edited.Favorites && edited.DetailRead);
        QCOMPARE(edited.Author, QStringLiteral("作者"));
        QCOMPARE(edited.Ranking, 4);
        QCOMPARE(FolderEntries(db, base).size(), 2);

        QVERIFY(DeleteFoldersBelow(db, url(QStringLiteral("win/"))));
        QVERIFY(DeleteEntriesBelow(db, url(QStringLiteral("win/"))));
        QCOMPARE(names(FavoriteEntries(db)), QStringList{QStringLiteral("fav 2.0")});
        QCOMPARE(names(SearchEntries(db, 10)), QStringList{QStringLiteral("found")});

        QVERIFY(UnmarkFavorite(db, base, page + u"f.html"));
        QCOMPARE(CountFavorites(db), 0);
        QVERIFY(MarkFavorite(db, base.toUpper(), page + u"f.html"));
        QCOMPARE(CountFavorites(db), 1);
    }

    void upgradeAddsRankingOnce()
    {
        QFile::remove(m_path);
        QVERIFY(CreateEmptyCatalogue(m_path, false));
        QVERIFY(!CreateEmptyCatalogue(m_path, true)); // never replaces a catalogue
        {
            Db db;
            QVERIFY(OpenDb(db, m_path));
            QVERIFY(!ColumnNames(db, QStringLiteral("T_Softwares"))
                         .contains(QStringLiteral("Ranking")));
            QVERIFY(!SaveEntry(db, entry(kArea, kArea + u"old.html"))); // writes need the column
            QVERIFY(
                db.execute(QStringLiteral("INSERT INTO T_Softwares (BaseURL, TargetURL, SoftName) "
                                          "VALUES (?, ?, ?)"),
                           {kArea, QString(kArea + u"old.html"), QStringLiteral("old")}));
            QCOMPARE(FindEntry(db, kArea, kArea + u"old.html")->SoftName, QStringLiteral("old"));
        }
        config::settings().Debug = 1;
        QVERIFY(!UpgradeSchema());
        const QByteArray upgraded = m_folder->readBytes(QStringLiteral("Pelimond.mdb"));
        QVERIFY(!UpgradeSchema());
        QCOMPARE(m_folder->readBytes(QStringLiteral("Pelimond.mdb")), upgraded);
        QVERIFY(!QFileInfo::exists(m_folder->file(QStringLiteral("Trace.Log"))));
        Db db;
        QVERIFY(OpenDb(db, m_path));
        QCOMPARE(ColumnNames(db, QStringLiteral("T_Softwares")).last(), QStringLiteral("Ranking"));
        const EntryRow old = *FindEntry(db, kArea, kArea + u"old.html");
        QVERIFY(!old.Ranking);
    }

    void textRoundTrips_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("apostrophe") << QStringLiteral("it's 'quoted'");
        QTest::newRow("double quote") << QStringLiteral("say \"hi\"");
        QTest::newRow("like wildcards") << QStringLiteral("100% _off_ \\path\\");
        QTest::newRow("jet wildcards") << QStringLiteral("a*b?c#[d]");
        QTest::newRow("japanese") << QStringLiteral("ソフト～①＼");
        QTest::newRow("sql") << QStringLiteral("x'); DROP TABLE T_Softwares; --");
        QTest::newRow("empty") << QString();
    }
    void textRoundTrips()
    {
        QFETCH(QString, text);
        Db db;
        QVERIFY(OpenDb(db, m_path));
        const QString base = kArea + text + u'/';
        EntryRow row = entry(base, base + text, text);
        row.Description = text;
        row.PaymentInfo = text + QStringLiteral("\r\n2行目");
        QVERIFY(SaveEntry(db, row));
        FolderRow f;
        f.TargetURL = base;
        f.Description = text;
        QVERIFY(SaveFolder(db, f));
        const EntryRow back = *FindEntry(db, base, base + text);
        QCOMPARE(back.SoftName, text);
        QCOMPARE(back.Description, text);
        QCOMPARE(back.PaymentInfo, row.PaymentInfo);
        QCOMPARE(*FolderDescription(db, base), text);
        QCOMPARE(CountEntriesBelow(db, base), 1);
        QCOMPARE(CountEntriesBelow(db, kArea), 1);
    }

    void searchResultIsCappedAtTop()
    {
        Db db;
        QVERIFY(OpenDb(db, m_path));
        for (int i = 0; i < 5; ++i) {
            EntryRow row = entry(kArea, kArea + QString::number(i), QString::number(i));
            row.Search = true;
            QVERIFY(SaveEntry(db, row));
        }
        QVERIFY(SaveEntry(db, entry(kArea, kArea + u"other")));
        QCOMPARE(CountSearch(db), 5);
        QCOMPARE(SearchEntries(db, 3).size(), 3);
        QCOMPARE(SearchEntries(db, 10).size(), 5);
        QCOMPARE(SearchEntries(db, 0).size(), 0);
        QVERIFY(ClearSearch(db));
        QCOMPARE(CountSearch(db), 0);
    }

    void nullColumnsRoundTrip_data()
    {
        QTest::addColumn<std::optional<qint64>>("size");
        QTest::addColumn<QDateTime>("date");
        QTest::addColumn<bool>("sizeIsNull");
        QTest::addColumn<bool>("dateIsNull");
        const QDateTime when(QDate(2009, 12, 31), QTime(23, 59, 58));
        QTest::newRow("known") << std::optional<qint64>(123) << when << false << false;
        QTest::newRow("zero is not unknown") << std::optional<qint64>(0) << when << false << false;
        QTest::newRow("unknown markers")
            << std::optional<qint64>(-1) << QDateTime(QDate(1900, 1, 1), QTime(0, 0)) << true
            << true;
        QTest::newRow("nothing") << std::optional<qint64>() << QDateTime() << true << true;
    }
    void nullColumnsRoundTrip()
    {
        QFETCH(std::optional<qint64>, size);
        QFETCH(QDateTime, date);
        QFETCH(bool, sizeIsNull);
        QFETCH(bool, dateIsNull);
        Db db;
        QVERIFY(OpenDb(db, m_path));
        EntryRow row = entry(kArea, kArea + u"x.html");
        row.FileSize = row.FileSize2 = size;
        row.OpenDate = row.RegistDate = date;
        QVERIFY(SaveEntry(db, row));
        FolderRow f = folder(QStringLiteral("win/"));
        f.UpdateDate = date;
        QVERIFY(SaveFolder(db, f));

        const EntryRow back = *FindEntry(db, kArea, kArea + u"x.html");
        QCOMPARE(!back.FileSize, sizeIsNull);
        QCOMPARE(!back.FileSize2, sizeIsNull);
        QCOMPARE(!back.OpenDate, dateIsNull);
        QCOMPARE(!back.RegistDate, dateIsNull);
        if (!sizeIsNull)
            QCOMPARE(*back.FileSize, *size);
        if (!dateIsNull)
            QCOMPARE(*back.OpenDate, date);
        catalogue::Statement* nulls = db.select(
            QStringLiteral("SELECT (FileSize IS NULL) + (FileSize2 IS NULL) + (OpenDate IS NULL) + "
                           "(RegistDate IS NULL) FROM T_Softwares"));
        QVERIFY(nulls && nulls->next());
        QCOMPARE(nulls->value(0).toInt(), (sizeIsNull ? 2 : 0) + (dateIsNull ? 2 : 0));
        nulls->finish();
        QCOMPARE(FolderUpdateDate(db, f.TargetURL)->isValid(), !dateIsNull);
        QVERIFY(!FolderUpdateDate(db, url(QStringLiteral("none/"))));
    }

    void jetLikePatterns_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("matches");
        auto row = [](const char* name, const char16_t* p, const char16_t* t, bool m) {
            QTest::newRow(name) << QString::fromUtf16(p) << QString::fromUtf16(t) << m;
        };
        row("star, ascii case", u"*abc*", u"xxABCxx", true);
        row("empty text and **", u"**", u"", true);
        row("question is one char", u"a?c", u"abc", true);
        row("question needs a char", u"a?c", u"ac", false);
        row("hash is a digit", u"v#", u"v5", true);
        row("hash is not a letter", u"v#", u"vx", false);
        row("range", u"[a-c]x", u"Bx", true);
        row("capital range, small text", u"[A-Z]", u"q", true);
        row("negated range", u"[!a-c]x", u"dx", true);
        row("negated range excludes", u"[!a-c]x", u"ax", false);
        row("apostrophe literal", u"it's*", u"It's mine", true);
        row("percent literal", u"100%", u"1000", false);
        row("underscore literal", u"a_b", u"axb", false);
        row("bracketed star", u"[*]", u"*", true);
        row("bracketed star is not any", u"[*]", u"a", false);
        row("bracketed bracket", u"[[]x", u"[x", true);
        row("closing bracket outside", u"a]", u"a]", true);
        row("caret alone", u"[^]", u"^", true);
        row("caret alone is not negation", u"[^]", u"a", false);
        row("negated caret", u"[!^]", u"^", false);
        row("dash last", u"[a-]", u"-", true);
        row("dash last, other", u"[a-]", u"b", false);
        row("empty list matches nothing", u"[]a", u"a", true);
        row("non-ascii literal", u"*日本*", u"にっぽん日本語", true);
        row("non-ascii case kept", u"é", u"É", false);
    }
    void jetLikePatterns()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QFETCH(bool, matches);
        Db db;
        QVERIFY(OpenDb(db, m_path));
        QVERIFY(SaveEntry(db, entry(kArea, kArea + u"a.html", text)));
        const auto condition = JetLikeCondition(QStringLiteral("SoftName"), pattern);
        QVERIFY(condition);
        QVERIFY(MarkSearch(db, *condition));
        QCOMPARE(CountSearch(db), matches ? 1 : 0);
    }

    void invalidJetPatternsAreRefused()
    {
        QVERIFY(!JetLikeToGlob(QStringLiteral("[abc")));
        QVERIFY(!JetLikeToGlob(QStringLiteral("[c-a]")));
    }

    void searchConditionsCombine()
    {
        Db db;
        QVERIFY(OpenDb(db, m_path));
        const QString news = config::SiteRoot + QStringLiteral("tpack/whats/");
        QVERIFY(SaveEntry(db, entry(kArea, kArea + u"1", QStringLiteral("Text Editor"))));
        QVERIFY(SaveEntry(db, entry(news, news + u"2", QStringLiteral("text viewer"))));
        QVERIFY(SaveEntry(db, entry(kArea, kArea + u"3", QStringLiteral("Paint"))));
        EntryRow stale = entry(kArea, kArea + u"4", QStringLiteral("old"));
        stale.Search = true;
        QVERIFY(SaveEntry(db, stale));
        SqlCondition where;
        where &= *JetLikeCondition(QStringLiteral("SoftName"), QStringLiteral("*text*"));
        where &= PrefixCondition(QStringLiteral("BaseURL"), kArea);
        QVERIFY(ClearSearch(db));
        QVERIFY(MarkSearch(db, where));
        QCOMPARE(names(SearchEntries(db, 10)), QStringList{QStringLiteral("Text Editor")});
    }

    void pageTransactionCommitsOnceOrNotAtAll()
    {
        {
            PageTransaction page(m_path);
            QVERIFY(page.isOpen());
            for (int i = 0; i < 3; ++i)
                QVERIFY(SaveEntry(page.db(), entry(kArea, kArea + QString::number(i))));
            QVERIFY(FindEntry(page.db(), kArea, kArea + u"2"));
            QVERIFY(page.commit());
        }
        {
            PageTransaction page(m_path);
            QVERIFY(SaveEntry(page.db(), entry(kArea, kArea + u"lost")));
        } // not committed
        Db db;
        QVERIFY(OpenDb(db, m_path));
        QCOMPARE(FolderEntries(db, kArea).size(), 3);
        QVERIFY(!FindEntry(db, kArea, kArea + u"lost"));
    }

    // The list's read fills what the list shows and leaves the detail columns empty.
    void listReadFillsTheListColumns()
    {
        EntryRow row = entry(kArea, kArea + u"1", QStringLiteral("名前"));
        row.Version = QStringLiteral("1.0");
        row.FileSize = 12;
        row.OpenDate = QDateTime(QDate(2003, 4, 5), QTime(0, 0));
        row.PickUpURL = kArea + u"p";
        row.RegiMoney = 1500;
        row.Author = QStringLiteral("作者");
        row.Favorites = true;
        Db db;
        QVERIFY(OpenDb(db, m_path));
        QVERIFY(SaveEntry(db, row));
        for (const QList<EntryRow>& read : {FolderEntries(db, kArea, EntryFields::List),
                                            FavoriteEntries(db, EntryFields::List)}) {
            QCOMPARE(read.size(), 1);
            const EntryRow& got = read.first();
            QCOMPARE(got.SoftName, row.SoftName);
            QCOMPARE(got.Version, row.Version);
            QCOMPARE(got.FileSize, row.FileSize);
            QCOMPARE(got.OpenDate, row.OpenDate);
            QCOMPARE(got.PickUpURL, row.PickUpURL);
            QCOMPARE(got.RegiMoney, row.RegiMoney);
            QVERIFY(got.Author.isEmpty());
        }
        QCOMPARE(FolderEntries(db, kArea).first().Author, row.Author);
    }

    // Rows are read into one reused row: nothing of one entry may show in the next, and the
    // folder's entries come in the order they were added, not in key order.
    void folderReadKeepsLoadOrderAndNothingLeaks()
    {
        const QString page = config::SiteRoot + QStringLiteral("soft/");
        EntryRow full = entry(kArea, page + u"c.html", QStringLiteral("c"));
        full.FileSize = 7;
        full.OpenDate = QDateTime(QDate(2003, 4, 5), QTime(0, 0));
        full.Ranking = 3;
        full.PickUpURL = page + u"pick";
        Db db;
        QVERIFY(OpenDb(db, m_path));
        QVERIFY(SaveEntry(db, full));
        QVERIFY(SaveEntry(db, entry(kArea, page + u"b.html", QStringLiteral("b"))));
        QVERIFY(SaveEntry(db, entry(kArea + u"other/", page + u"x.html")));
        QVERIFY(SaveEntry(db, entry(kArea, page + u"a.html", QStringLiteral("a"))));
        for (const EntryFields fields : {EntryFields::All, EntryFields::List}) {
            QList<EntryRow> seen;
            QVERIFY(VisitFolderEntries(db, kArea, fields,
                                       [&seen](const EntryRow& row) { seen.append(row); }));
            QCOMPARE(names(seen), (QStringList{u"c"_s, u"b"_s, u"a"_s}));
            QCOMPARE(seen[0].FileSize, full.FileSize);
            QCOMPARE(seen[0].OpenDate, full.OpenDate);
            QVERIFY(!seen[1].FileSize && !seen[1].OpenDate && seen[1].PickUpURL.isEmpty());
            QCOMPARE(seen[0].Ranking, fields == EntryFields::All ? full.Ranking : std::nullopt);
            QVERIFY(!seen[1].Ranking);
        }
    }

    void statementsBindEveryKindAndReportFailures()
    {
        Db db;
        QVERIFY(OpenDb(db, m_path));
        QVERIFY(db.execute(u"CREATE TABLE t (k TEXT UNIQUE, n INTEGER, b BLOB)"_s));
        const QString hostile = u"O'Brien \"; DROP TABLE t; -- 日本語"_s;
        const QVariantList values{hostile, qint64(1) << 40, QByteArray("\0\1", 2)};
        QVERIFY(db.execute(u"INSERT INTO t VALUES (?, ?, ?)"_s, values));
        QVERIFY(!db.execute(u"INSERT INTO t VALUES (?, ?, ?)"_s, values));
        QVERIFY(db.lastError().text().contains(u"UNIQUE"_s));
        // The failed statement runs again once its values are right.
        int changed = 0;
        QVERIFY(
            db.execute(u"INSERT INTO t VALUES (?, ?, ?)"_s, {u"2"_s, QVariant(), true}, &changed));
        QCOMPARE(changed, 1);
        Statement* q = db.select(u"SELECT k, n, b FROM t ORDER BY rowid"_s);
        QVERIFY(q && q->next());
        QCOMPARE(q->text(0), hostile);
        QCOMPARE(q->number(1), qint64(1) << 40);
        QCOMPARE(q->value(2).toByteArray(), QByteArray("\0\1", 2));
        QVERIFY(q->next() && q->isNull(1) && !q->value(1).isValid());
        QCOMPARE(q->value(2).toLongLong(), 1);
        QVERIFY(!q->next());
        q->finish();
        QVERIFY(!db.select(u"SELECT nothing FROM nowhere"_s));
    }

    void committedPageLeavesOneFile_data()
    {
        QTest::addColumn<bool>("keptOpen");
        QTest::newRow("each page opens the catalogue") << false;
        // An update run holds the catalogue open; its pages borrow that connection.
        QTest::newRow("held open for a run") << true;
    }
    void committedPageLeavesOneFile()
    {
        QFETCH(bool, keptOpen);
        {
            std::optional<KeepCatalogueOpen> keep;
            if (keptOpen)
                keep.emplace(m_path);
            {
                PageTransaction page(m_path);
                QVERIFY(SaveEntry(page.db(), entry(kArea, kArea + u"1")));
                QVERIFY(page.commit());
            }
            {
                PageTransaction page(m_path);
                QVERIFY(SaveEntry(page.db(), entry(kArea, kArea + u"2")));
            } // rolled back
            Db db;
            QVERIFY(OpenDb(db, m_path));
            QCOMPARE(FolderEntries(db, kArea).size(), 1);
        }
        QCOMPARE(FilesBesideLocks(m_folder->path(), {QStringLiteral("Pelimond.mdb*")}),
                 QStringList{QStringLiteral("Pelimond.mdb")});
        Db db;
        QVERIFY(OpenDb(db, m_path));
        QCOMPARE(FolderEntries(db, kArea).size(), 1);
    }

    // Local times on both sides of the spring-forward gap and inside the autumn repeat, each
    // shared by several rows so a date read once is handed to every row that holds it.
    void datesRoundTripAcrossDaylightSaving()
    {
        const QByteArray oldTz = qgetenv("TZ");
        qputenv("TZ", "Europe/Berlin");
        tzset();
        const QList<QDateTime> dates = {
            QDateTime(QDate(2021, 3, 28), QTime(1, 59, 59)),
            QDateTime(QDate(2021, 3, 28), QTime(3, 0, 0)),
            QDateTime(QDate(2021, 10, 31), QTime(2, 30, 0)),
            QDateTime(QDate(2021, 10, 31), QTime(3, 0, 1)),
            QDateTime(QDate(2021, 7, 1), QTime(12, 0, 0)),
        };
        {
            PageTransaction page(m_path);
            for (int i = 0; i < 3 * dates.size(); ++i) {
                EntryRow row = entry(kArea, kArea + QString::number(i));
                row.OpenDate = dates[i % dates.size()];
                row.RegistDate = dates[(i + 1) % dates.size()];
                QVERIFY(SaveEntry(page.db(), row));
            }
            QVERIFY(page.commit());
        }
        Db db;
        QVERIFY(OpenDb(db, m_path));
        const QList<EntryRow> rows = FolderEntries(db, kArea);
        QCOMPARE(rows.size(), 3 * dates.size());
        for (int i = 0; i < rows.size(); ++i) {
            const QDateTime open = dates[i % dates.size()];
            QCOMPARE(rows[i].OpenDate, open);
            QCOMPARE(rows[i].OpenDate->timeSpec(), Qt::LocalTime);
            QCOMPARE(rows[i].OpenDate->offsetFromUtc(), open.offsetFromUtc());
            QCOMPARE(ToDbDate(*rows[i].RegistDate), ToDbDate(dates[(i + 1) % dates.size()]));
        }
        if (oldTz.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", oldTz);
        tzset();
    }

    void missingCatalogueFailsQuietly()
    {
        QVERIFY(QFile::remove(m_path));
        config::settings().Debug = 1;
        Db db;
        QVERIFY(!OpenDb(db, m_path));
        QVERIFY(!OpenCatalogue(db));
        QVERIFY(!db.open(m_path)); // even a direct open never creates the file
        QVERIFY(!FindEntry(db, kArea, kArea));
        QVERIFY(!SaveEntry(db, entry(kArea, kArea)));
        QVERIFY(FolderEntries(db, kArea).isEmpty());
        QVERIFY(!CountSearch(db));
        QVERIFY(!UpgradeSchema());
        QVERIFY(!PageTransaction(m_path).isOpen());
        QVERIFY(!CompactDb(m_path));
        QVERIFY(!QFileInfo::exists(m_path));
        QVERIFY(!QFileInfo::exists(CompactTempPath(m_path)));
        // Only the compaction's own failure line; opening a missing file is silent.
        QCOMPARE(traceLines().size(), 1);
        QVERIFY(traceLines().first().endsWith(QStringLiteral("最適化エラー(53)")));
    }

    void openFailureIsRetriedAndTraced_data()
    {
        QTest::addColumn<int>("debug");
        QTest::addColumn<int>("lines");
        QTest::newRow("debug on") << 1 << 1;
        QTest::newRow("debug off") << 0 << 0;
    }
    void openFailureIsRetriedAndTraced()
    {
        QFETCH(int, debug);
        QFETCH(int, lines);
        const QByteArray junk(2048, 'x');
        m_folder->writeBytes(QStringLiteral("Pelimond.mdb"), junk);
        config::settings().Debug = debug;
        Db db;
        QVERIFY(!OpenDb(db, m_path));
        QCOMPARE(traceLines().size(), lines);
        if (lines)
            QVERIFY(traceLines().first().contains(QStringLiteral(" $ file is not a database")));
        QCOMPARE(m_folder->readBytes(QStringLiteral("Pelimond.mdb")), junk);
    }

    void compactTempPath_data()
    {
        QTest::addColumn<QString>("catalogue");
        QTest::addColumn<QString>("temp");
        QTest::newRow("extension")
            << QStringLiteral("/p/Pelimond.mdb") << QStringLiteral("/p/Pelimond.TMP");
        QTest::newRow("no extension")
            << QStringLiteral("/p/Pelimond") << QStringLiteral("/p/Pelimond.TMP");
        QTest::newRow("dot in folder")
            << QStringLiteral("/p.v2/Pelimond") << QStringLiteral("/p.v2/Pelimond.TMP");
        QTest::newRow("two dots") << QStringLiteral("/p/a.b.mdb") << QStringLiteral("/p/a.b.TMP");
        QTest::newRow("catalogue named like its copy")
            << QStringLiteral("/p/Pelimond.tmp") << QStringLiteral("/p/Pelimond.tmp.TMP");
    }
    void compactTempPath()
    {
        QFETCH(QString, catalogue);
        QFETCH(QString, temp);
        QCOMPARE(CompactTempPath(catalogue), temp);
    }

    void compactingTwiceShrinksAndLeavesOneFile()
    {
        {
            PageTransaction page(m_path);
            for (int i = 0; i < 2000; ++i) {
                EntryRow row = entry(kArea, kArea + QString::number(i), QString(200, u'x'));
                row.Favorites = i == 7;
                QVERIFY(SaveEntry(page.db(), row));
            }
            QVERIFY(page.commit());
            Db db;
            QVERIFY(OpenDb(db, m_path));
            QVERIFY(DeleteFolderEntries(db, kArea));
        }
        m_folder->writeBytes(QStringLiteral("Pelimond.TMP"), "stale leftover");
        const qint64 before = QFileInfo(m_path).size();
        int paints = 0;
        QVERIFY(CompactDb(m_path, [&paints] { ++paints; }));
        QVERIFY(paints >= 2);
        QVERIFY(QFileInfo(m_path).size() < before / 4);
        QVERIFY(CompactDb(m_path));
        QCOMPARE(FilesBesideLocks(m_folder->path()),
                 QStringList{QStringLiteral("Pelimond.mdb")});
        Db db;
        QVERIFY(OpenDb(db, m_path));
        QCOMPARE(CountFavorites(db), 1);
    }

    void compactingUnusualNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("no extension, dotted folder") << QStringLiteral("data.v2 #日本/Catalogue");
        QTest::newRow("named like the copy") << QStringLiteral("data/Pelimond.tmp");
    }
    void compactingUnusualNames()
    {
        QFETCH(QString, name);
        const QString path = m_folder->file(name);
        const QString dir = QFileInfo(path).absolutePath();
        QVERIFY(QDir().mkpath(dir));
        QVERIFY(CreateEmptyCatalogue(path));
        {
            Db db;
            QVERIFY(OpenDb(db, path));
            QVERIFY(SaveEntry(db, entry(kArea, kArea + u"kept")));
        }
        QVERIFY(CompactDb(path));
        QCOMPARE(FilesBesideLocks(dir), QStringList{QFileInfo(path).fileName()});
        Db db;
        QVERIFY(OpenDb(db, path));
        QVERIFY(FindEntry(db, kArea, kArea + u"kept"));
    }

    void failedCompactionLeavesTheCatalogue_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("line");
        QTest::newRow("not a database")
            << QStringLiteral("junk") << QStringLiteral("最適化エラー(26)");
        QTest::newRow("damaged pages")
            << QStringLiteral("pages") << QStringLiteral("最適化エラー(11)");
        QTest::newRow("temp cannot be removed")
            << QStringLiteral("tempdir") << QStringLiteral("最適化エラー(75)");
    }
    void failedCompactionLeavesTheCatalogue()
    {
        QFETCH(QString, damage);
        QFETCH(QString, line);
        {
            PageTransaction page(m_path);
            for (int i = 0; i < 500; ++i)
                QVERIFY(SaveEntry(page.db(),
                                  entry(kArea, kArea + QString::number(i), QString(300, u'y'))));
            QVERIFY(page.commit());
        }
        QByteArray bytes = m_folder->readBytes(QStringLiteral("Pelimond.mdb"));
        if (damage == u"junk")
            bytes.fill('x');
        else if (damage == u"pages")
            bytes.replace(8192, bytes.size() - 8192, QByteArray(bytes.size() - 8192, '\x5a'));
        else
            m_folder->writeBytes(QStringLiteral("Pelimond.TMP/inside"), "keep");
        m_folder->writeBytes(QStringLiteral("Pelimond.mdb"), bytes);
        config::settings().Debug = 1;
        QVERIFY(!CompactDb(m_path));
        QCOMPARE(m_folder->readBytes(QStringLiteral("Pelimond.mdb")), bytes);
        QVERIFY(!QFileInfo(CompactTempPath(m_path)).isFile());
        QVERIFY(traceLines().last().endsWith(line));
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
