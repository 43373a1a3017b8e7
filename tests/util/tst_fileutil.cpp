#include "config/Settings.h"
#include "support/TestFolder.h"
#include "util/FileUtil.h"
#include "util/Messages.h"
#include "util/ProgramFolder.h"
#include "util/Trace.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

class TstFileUtil : public QObject
{
    Q_OBJECT

private slots:
    void resolvePath_data();
    void resolvePath();
    void resolvePathFindsNamesWithoutRegardToCase();
    void fileExists();
    void textOperations();
    void cleanFileName();
    void deleteFolderTreeKeepsTheCacheFolder();
    void deleteFolderTreeRemovesOtherFoldersAndRefusesRoot();
    void deleteFolderTreeDoesNotFollowLinks();
    void traceLinesOnlyWhenDebugIsOn();
    void scriptedMessagesRecordAndAnswer();
};

void TstFileUtil::resolvePath_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("relative"); // below the program folder; "^" = its parent
    QTest::newRow("dot backslash, trailing backslash") << u".\\DOWNLOAD\\"_s << u"/DOWNLOAD"_s;
    QTest::newRow("dot slash") << u"./Cache"_s << u"/Cache"_s;
    QTest::newRow("nested") << u".\\a\\b"_s << u"/a/b"_s;
    QTest::newRow("parent") << u"..\\Shared"_s << u"^/Shared"_s;
    QTest::newRow("absolute") << u"/var/tmp/x"_s << u"=/var/tmp/x"_s;
    QTest::newRow("other drive") << u"D:\\Cache\\"_s << u"=D:/Cache"_s;
}

void TstFileUtil::resolvePath()
{
    QFETCH(QString, stored);
    QFETCH(QString, relative);
    TestFolder folder;
    const QString root = folder.path();
    const QString parent = root.left(root.lastIndexOf(u'/'));
    QString expected = relative.startsWith(u'=')   ? relative.mid(1)
                       : relative.startsWith(u'^') ? parent + relative.mid(1)
                                                   : root + relative;
    QCOMPARE(util::ResolvePath(stored), expected);
}

void TstFileUtil::resolvePathFindsNamesWithoutRegardToCase()
{
    TestFolder folder;
    folder.writeBytes(u"Pelimond.mdb"_s, "x");
    folder.writeBytes(u"Cache/page.html"_s, "x");
    QCOMPARE(util::ResolvePath(u".\\Pelimond.MDB"_s), folder.file(u"Pelimond.mdb"_s));
    QCOMPARE(util::ResolvePath(u".\\CACHE"_s), folder.file(u"Cache"_s));
    // A missing last component keeps the found folder and its own spelling.
    QCOMPARE(programfolder::InProgramFolder(u"cache/New.html"_s), folder.file(u"Cache/New.html"_s));
    QCOMPARE(util::ResolvePath(u".\\Missing.ini"_s), folder.file(u"Missing.ini"_s));
}

void TstFileUtil::fileExists()
{
    TestFolder folder;
    folder.writeBytes(u"a.txt"_s, "x");
    folder.writeBytes(u".hidden"_s, "x");
    QDir(folder.path()).mkdir(u"sub"_s);
    QVERIFY(util::FileExists(folder.file(u"a.txt"_s)));
    QVERIFY(!util::FileExists(folder.file(u"sub"_s)));
    QVERIFY(!util::FileExists(folder.file(u".hidden"_s)));
    QVERIFY(!util::FileExists(folder.file(u"missing"_s)));
    QVERIFY(!util::FileExists(QString()));
}

void TstFileUtil::textOperations()
{
    QCOMPARE(util::StripExtension(u"Pelimond.mdb"_s), u"Pelimond"_s);
    QCOMPARE(util::StripExtension(u"a.b.c"_s), u"a.b"_s);
    QCOMPARE(util::StripExtension(u"noext"_s), u"noext"_s);
    QCOMPARE(util::StripExtension(QString()), QString());
    QCOMPARE(util::TrimNull(u"  abc\0def  "_s), u"abc"_s);
    QCOMPARE(util::CountOf(u"http://a/b"_s, u"/"), 3);
    QCOMPARE(util::CountOf(u"aaaa"_s, u"aa"), 2);
    QCOMPARE(util::CountOf(u"abc"_s, u""), 0);
    QCOMPARE(util::ReplaceText(u"aXbxX"_s, u"X"_s, u"--"_s), u"a--bx--"_s);
    QCOMPARE(util::NullTo(QVariant(), 5).toInt(), 5);
    QCOMPARE(util::NullTo(QVariant(0), 5).toInt(), 0);
    QCOMPARE(util::ToWholeNumber(u" 2.5 "_s), std::optional<int>(2));
    QCOMPARE(util::ToWholeNumber(u"3.5"_s), std::optional<int>(4));
    QCOMPARE(util::ToWholeNumber(u"abc"_s), std::nullopt);
    QCOMPARE(util::ToWholeNumber(u"99999999999"_s), std::nullopt);
}

void TstFileUtil::cleanFileName()
{
    QString name = u"a/b:c?d"_s;
    QVERIFY(util::CleanFileName(name));
    QCOMPARE(name, u"a_b_c_d"_s);
    name = u"'\\/:,;*?\"<>|ソフト"_s;
    util::CleanFileName(name);
    QCOMPARE(name, QString(12, u'_') + u"ソフト"_s);
}

void TstFileUtil::deleteFolderTreeKeepsTheCacheFolder()
{
    TestFolder folder;
    folder.writeBytes(u"CACHE/a.html"_s, "x");
    folder.writeBytes(u"CACHE/tpack/win/b.html"_s, "x");
    QFile::setPermissions(folder.file(u"CACHE/a.html"_s), QFileDevice::ReadOwner);
    config::settings().CacheFolder = util::ResolvePath(u".\\CACHE"_s);
    QVERIFY(util::DeleteFolderTree(config::settings().CacheFolder + u'/'));
    QVERIFY(QDir(folder.file(u"CACHE"_s)).exists());
    QVERIFY(QDir(folder.file(u"CACHE"_s))
                .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

void TstFileUtil::deleteFolderTreeRemovesOtherFoldersAndRefusesRoot()
{
    TestFolder folder;
    folder.writeBytes(u"CACHE/keep.html"_s, "x");
    folder.writeBytes(u"CACHE/tpack/win/b.html"_s, "x");
    folder.writeBytes(u"CACHE/tpack/win/sub/.c"_s, "x");
    config::settings().CacheFolder = folder.file(u"CACHE"_s);
    QVERIFY(util::DeleteFolderTree(folder.file(u"CACHE/tpack/win"_s)));
    QVERIFY(!QDir(folder.file(u"CACHE/tpack/win"_s)).exists());
    QVERIFY(QFile::exists(folder.file(u"CACHE/keep.html"_s)));
    QVERIFY(!util::DeleteFolderTree(QString()));
    QVERIFY(!util::DeleteFolderTree(folder.file(u"missing"_s)));
}

void TstFileUtil::deleteFolderTreeDoesNotFollowLinks()
{
    TestFolder folder;
    folder.writeBytes(u"outside/precious.txt"_s, "x");
    folder.writeBytes(u"tree/a.txt"_s, "x");
    QVERIFY(QFile::link(folder.file(u"outside"_s), folder.file(u"tree/link"_s)));
    QVERIFY(util::DeleteFolderTree(folder.file(u"tree"_s)));
    QVERIFY(!QDir(folder.file(u"tree"_s)).exists());
    QVERIFY(QFile::exists(folder.file(u"outside/precious.txt"_s)));
}

void TstFileUtil::traceLinesOnlyWhenDebugIsOn()
{
    TestFolder folder;
    util::TraceIfDebug(u"silent"_s);
    QVERIFY(!QFile::exists(folder.file(u"Trace.Log"_s)));
    config::settings().Debug = 1;
    util::TraceIfDebug(u"Sub Main エラー(5)"_s);
    util::WriteTrace(u"second"_s);
    const QStringList lines = folder.readLines(u"Trace.Log"_s);
    QCOMPARE(lines.size(), 2);
    static const QRegularExpression form(
        u"^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d \\$ Sub Main エラー\\(5\\)$"_s);
    QVERIFY2(form.match(lines[0]).hasMatch(), qPrintable(lines[0]));
    QVERIFY(folder.readBytes(u"Trace.Log"_s).endsWith("second\r\n"));
}

void TstFileUtil::scriptedMessagesRecordAndAnswer()
{
    msg::ScriptedSink sink;
    sink.answerNext(msg::Answer::No);
    QCOMPARE(msg::Show(u"q?"_s, u"t"_s, msg::Icon::Question, msg::Buttons::YesNo, msg::Answer::Yes),
             msg::Answer::No);
    // Without a script the default answer is given.
    QCOMPARE(msg::Show(u"q2"_s, u"t"_s, msg::Icon::Question, msg::Buttons::YesNo, msg::Answer::Yes),
             msg::Answer::Yes);
    QCOMPARE(sink.shown.size(), 2);
    QCOMPARE(sink.shown[0].icon, msg::Icon::Question);
}

QTEST_GUILESS_MAIN(TstFileUtil)
#include "tst_fileutil.moc"
