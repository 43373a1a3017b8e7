#include "config/Categories.h"
#include "config/Ini.h"
#include "config/Settings.h"
#include "config/SoftTypes.h"
#include "support/TestFolder.h"
#include "util/Text.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kRoot = config::SiteRoot;

QStringList fileAreaLines()
{
    QStringList lines;
    const QList<config::CategoryRecord> rows = config::StandardCategories();
    for (int i = 0; i < 15; ++i)
        lines.append(config::CategoryLine(rows[i]));
    return lines;
}

void writeSoftTypes(const TestFolder& folder, const QStringList& rows)
{
    QStringList lines{u"[SoftType]"_s};
    for (int i = 0; i < rows.size(); ++i) {
        if (!rows[i].isNull())
            lines.append(u"SoftType"_s + QString::number(i + 1) + u'=' + rows[i]);
    }
    folder.writeLines(config::kSettingsFile, lines);
}

} // namespace

class TstDefinitions : public QObject
{
    Q_OBJECT

private slots:
    void standardListHasThirtyRows();
    void newArrivalsAreAppendedExactlyOnce();
    void aFileMentioningNewArrivalsIsLeftAlone();
    void missingCategoryFile();
    void malformedLinesAreSkipped();
    void aFlagThatIsNotABooleanStopsLoading();
    void isCategoryFetched();
    void lineFeedOnlyCategoryFile();
    void softTypes_data();
    void softTypes();
    void firstRunTypesMapIcons();
    void nonNumericCodeStopsLoading();
};

void TstDefinitions::standardListHasThirtyRows()
{
    const QList<config::CategoryRecord> rows = config::StandardCategories();
    QCOMPARE(rows.size(), 30);
    QCOMPARE(config::CategoryLine(rows[5]), u"OS/2,WARP@@"_s + kRoot + u"tpack/filearea/os2/@@0"_s);
    QCOMPARE(config::CategoryLine(rows[25]),
             u"Windows(新着)@@"_s + kRoot + u"tpack/whats/win/@@1"_s);
}

void TstDefinitions::newArrivalsAreAppendedExactlyOnce()
{
    TestFolder folder;
    folder.writeLines(config::kCategoryFile, fileAreaLines());
    QVERIFY(config::AddNewArrivalCategories());
    QVERIFY(config::AddNewArrivalCategories());
    const QStringList lines = folder.readLines(config::kCategoryFile);
    QCOMPARE(lines.size(), 30);
    QCOMPARE(lines[15], u"汎用データ(新着)@@"_s + kRoot + u"tpack/whats/data/@@0"_s);
    QCOMPARE(lines[29], u"X68000(新着)@@"_s + kRoot + u"tpack/whats/x68/@@0"_s);
    QVERIFY(folder.readBytes(config::kCategoryFile).endsWith("/whats/x68/@@0\r\n"));
    QVERIFY(config::LoadCategories());
    QCOMPARE(config::Categories().size(), 31);
    QCOMPARE(config::Categories()[6].Name, u"OS/2,WARP"_s);
}

void TstDefinitions::aFileMentioningNewArrivalsIsLeftAlone()
{
    TestFolder folder;
    QStringList lines = fileAreaLines();
    lines.append(u"Windows(新着)@@"_s + kRoot + u"tpack/whats/win/@@1"_s);
    folder.writeLines(config::kCategoryFile, lines);
    const QByteArray before = folder.readBytes(config::kCategoryFile);
    QVERIFY(config::AddNewArrivalCategories());
    QCOMPARE(folder.readBytes(config::kCategoryFile), before);
}

void TstDefinitions::missingCategoryFile()
{
    TestFolder folder;
    config::settings().Debug = 1;
    QVERIFY(!config::AddNewArrivalCategories());
    QVERIFY(!QFile::exists(folder.file(config::kCategoryFile)));
    QVERIFY(!config::LoadCategories());
    QCOMPARE(config::Categories().size(), 1);
    QVERIFY(config::IsCategoryFetched(kRoot + u"tpack/filearea/mac/"_s));
    const QStringList trace = folder.readLines(u"Trace.Log"_s);
    QCOMPARE(trace.size(), 2);
    QVERIFY(trace[0].contains(u"カテゴリの追加エラー("_s));
    QVERIFY(trace[1].contains(u"カテゴリの読み込みエラー("_s));
}

void TstDefinitions::malformedLinesAreSkipped()
{
    TestFolder folder;
    config::settings().Debug = 1;
    folder.writeBytes(
        config::kCategoryFile,
        "A@@http://x/a/@@1\r\nbroken line\r\nB@@http://x/b/\r\nC@@http://x/c/@@True\r\n\r\n");
    QVERIFY(config::LoadCategories());
    const QList<config::CategoryRecord>& c = config::Categories();
    QCOMPARE(c.size(), 3);
    QCOMPARE(c[1].Name, u"A"_s);
    QCOMPARE(c[2].Name, u"C"_s);
    QVERIFY(c[2].Fetch);
    // The broken line, the two-field line and the empty last line each leave a trace line.
    QCOMPARE(folder.readLines(u"Trace.Log"_s).filter(u"カテゴリデータ不正"_s).size(), 3);
}

void TstDefinitions::aFlagThatIsNotABooleanStopsLoading()
{
    TestFolder folder;
    folder.writeLines(config::kCategoryFile,
                      {u"A@@http://x/a/@@-1"_s, u"B@@http://x/b/@@yes"_s, u"C@@http://x/c/@@0"_s});
    QVERIFY(!config::LoadCategories());
    QCOMPARE(config::Categories().size(), 2);
    QVERIFY(config::Categories()[1].Fetch);
}

void TstDefinitions::isCategoryFetched()
{
    TestFolder folder;
    folder.writeLines(config::kCategoryFile, fileAreaLines());
    config::LoadCategories();
    QVERIFY(config::IsCategoryFetched(kRoot + u"tpack/filearea/win/game/"_s));
    QVERIFY(!config::IsCategoryFetched(kRoot + u"tpack/filearea/mac/util/"_s));
    // First match wins: ".../win/" comes before ".../win31/" and is not contained in it.
    QVERIFY(config::IsCategoryFetched(kRoot + u"tpack/filearea/win31/"_s));
    QVERIFY(config::IsCategoryFetched(kRoot + u"games/lib/win/game/"_s));
}

// A file saved with line feeds alone (edited on another system) reads as the same lines: the
// unticked categories stay unfetched, and the new arrivals are added once.
void TstDefinitions::lineFeedOnlyCategoryFile()
{
    TestFolder folder;
    QByteArray bytes;
    for (const QString& line : fileAreaLines())
        bytes += text::EncodeCp932(line) + '\n';
    folder.writeBytes(config::kCategoryFile, bytes);
    QVERIFY(config::AddNewArrivalCategories());
    QVERIFY(config::AddNewArrivalCategories());
    QVERIFY(config::LoadCategories());
    QCOMPARE(config::Categories().size(), 31);
    QCOMPARE(config::Categories()[6].Name, u"OS/2,WARP"_s);
    QCOMPARE(config::Categories()[30].Name, u"X68000(新着)"_s);
    QVERIFY(!config::IsCategoryFetched(kRoot + u"tpack/filearea/mac/util/"_s));
    QVERIFY(config::IsCategoryFetched(kRoot + u"tpack/filearea/win/game/"_s));
    QVERIFY(!config::IsCategoryFetched(kRoot + u"tpack/whats/x68/"_s));
}

void TstDefinitions::softTypes_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("expected"); // "Code|Image2|Image3" per loaded entry
    QTest::newRow("four fields derive both icons")
        << QStringList{u"5,s_update2.gif,アップデート,8355584"_s}
        << QStringList{u"5|icon2_u.gif|ico_unknown.gif"_s};
    QTest::newRow("unknown image keeps its own Image2")
        << QStringList{u"7,mine.gif,独自,0,mine2.gif"_s}
        << QStringList{u"7|mine2.gif|ico_unknown.gif"_s};
    QTest::newRow("three and six fields are skipped")
        << QStringList{u"0,s_free2.gif,フリー"_s, u"1,s_share2.gif,シェア,255,icon2_s.gif,extra"_s,
                       u"3,s_product2.gif,製品,32768"_s}
        << QStringList{u"3|icon2_p.gif|ico_product.gif"_s};
    QTest::newRow("a gap ends the table")
        << QStringList{u"0,s_free2.gif,フリー,1"_s, u"1,s_share2.gif,シェア,2"_s, QString(),
                       u"3,s_product2.gif,製品,3"_s}
        << QStringList{u"0|icon2_f.gif|ico_free.gif"_s, u"1|icon2_s.gif|ico_share.gif"_s};
    QTest::newRow("literal end stops")
        << QStringList{u"end"_s, u"0,s_free2.gif,フリー,1"_s} << QStringList{};
}

void TstDefinitions::softTypes()
{
    QFETCH(QStringList, rows);
    QFETCH(QStringList, expected);
    TestFolder folder;
    writeSoftTypes(folder, rows);
    QVERIFY(config::LoadSoftTypes());
    QStringList got;
    for (const config::SoftTypeRecord& t : config::SoftTypes())
        got.append(QString::number(t.Code) + u'|' + t.Image2 + u'|' + t.Image3);
    QCOMPARE(got, expected);
}

void TstDefinitions::firstRunTypesMapIcons()
{
    TestFolder folder;
    writeSoftTypes(folder, config::DefaultSoftTypeRows());
    QVERIFY(config::LoadSoftTypes());
    QCOMPARE(config::SoftTypes().size(), 7);
    using config::IconLayout;
    QCOMPARE(config::SoftTypeCodeOfIcon(u"ico_unknown.gif", IconLayout::FileList), 5);
    QCOMPARE(config::SoftTypeCodeOfIcon(u"s_share2.gif", IconLayout::Classic), 1);
    QCOMPARE(config::SoftTypeCodeOfIcon(u"icon2_s2.gif", IconLayout::LI), 2);
    QCOMPARE(config::SoftTypeCodeOfIcon(u"icon2_s2.gif", IconLayout::Classic), 99);
    QCOMPARE(config::SoftTypeCodeOfIcon(u"nothing.gif", IconLayout::FileList), 99);
    QCOMPARE(config::FindSoftType(3)->Color, 32768);
    QCOMPARE(config::FindSoftType(42), nullptr);
}

void TstDefinitions::nonNumericCodeStopsLoading()
{
    TestFolder folder;
    writeSoftTypes(folder, {u"0,s_free2.gif,フリー,1"_s, u"x,s_share2.gif,シェア,2"_s,
                            u"3,s_product2.gif,製品,3"_s});
    config::settings().Debug = 1;
    QVERIFY(!config::LoadSoftTypes());
    QCOMPARE(config::SoftTypes().size(), 1);
    QVERIFY(folder.readLines(u"Trace.Log"_s)
                .value(0)
                .contains(u"ソフトウエアタイプの読み込みエラー("_s));
}

QTEST_GUILESS_MAIN(TstDefinitions)
#include "tst_definitions.moc"
