#include "support/TestFolder.h"
#include "util/Text.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

class TstText : public QObject
{
    Q_OBJECT

private slots:
    void splitLines_data();
    void splitLines();
    void cp932RoundTrip();
    void invalidBytesBecomeReplacementCharacters();
    void cutToCp932Bytes_data();
    void cutToCp932Bytes();
    void writeLinesUsesCrLfAndLeavesNoTemporaryFile();
    void unsyncedReplacement_data();
    void unsyncedReplacement();
    void appendLineCreatesAndAppends();
    void readingAMissingFileFails();
};

void TstText::splitLines_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("crlf") << u"a\r\nb\r\n"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("lone cr") << u"a\rb"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("lone lf stays inside") << u"a\nb\r\nc"_s << QStringList{u"a\nb"_s, u"c"_s};
    QTest::newRow("empty last line") << u"a\r\n\r\n"_s << QStringList{u"a"_s, QString()};
    QTest::newRow("empty") << QString() << QStringList{};
    QTest::newRow("cr cr lf") << u"a\r\r\nb"_s << QStringList{u"a"_s, QString(), u"b"_s};
}

void TstText::splitLines()
{
    QFETCH(QString, input);
    QFETCH(QStringList, lines);
    QCOMPARE(text::SplitLines(input), lines);
}

void TstText::cp932RoundTrip()
{
    // Characters whose CP932 mapping differs from plain Shift_JIS, and a 0x5C trail byte.
    const QString s = u"～①＼ソフト表ｶﾀｶﾅ"_s;
    const QByteArray bytes = text::EncodeCp932(s);
    QCOMPARE(bytes.left(2), QByteArray("\x81\x60"));
    QCOMPARE(text::DecodeCp932(bytes), s);
    QCOMPARE(text::Cp932Length(s), 2 * 7 + 4);
}

void TstText::invalidBytesBecomeReplacementCharacters()
{
    const QString out = text::DecodeCp932(QByteArray("A\x82\xff"
                                                     "B\x83",
                                                     5));
    QVERIFY(out.startsWith(u'A'));
    QVERIFY(out.contains(QChar(QChar::ReplacementCharacter)));
    QVERIFY(out.contains(u'B'));
    QVERIFY(!out.contains(QChar(0x1A)));
}

void TstText::cutToCp932Bytes_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("maxBytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("short") << u"abc"_s << 127 << u"abc"_s;
    QTest::newRow("ascii cut") << QString(200, u'x') << 127 << QString(127, u'x');
    // 63 full-width characters take 126 bytes; the 64th would need 128.
    QTest::newRow("no half character") << QString(100, u'あ') << 127 << QString(63, u'あ');
    QTest::newRow("mixed") << (u"a"_s + QString(100, u'あ')) << 127
                           << (u"a"_s + QString(63, u'あ'));
}

void TstText::cutToCp932Bytes()
{
    QFETCH(QString, input);
    QFETCH(int, maxBytes);
    QFETCH(QString, expected);
    QCOMPARE(text::CutToCp932Bytes(input, maxBytes), expected);
}

void TstText::writeLinesUsesCrLfAndLeavesNoTemporaryFile()
{
    TestFolder folder;
    const QString path = folder.file(u"out.txt"_s);
    QVERIFY(text::WriteLines(path, {u"一行目"_s, u"two"_s}));
    QCOMPARE(folder.readBytes(u"out.txt"_s), text::EncodeCp932(u"一行目\r\ntwo\r\n"_s));
    // A shorter content replaces a longer one exactly.
    QVERIFY(text::WriteLines(path, {u"x"_s}));
    QCOMPARE(folder.readBytes(u"out.txt"_s), QByteArray("x\r\n"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{u"out.txt"_s});
}

void TstText::unsyncedReplacement_data()
{
    using P = QFileDevice::Permission;
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("before"); // permissions of an earlier file there; -1 for none
    QTest::addColumn<bool>("written");
    QTest::addColumn<int>("after");
    const int readable =
        P::ReadOwner | P::WriteOwner | P::ReadUser | P::WriteUser | P::ReadGroup | P::ReadOther;
    const int ownerOnly = P::ReadOwner | P::WriteOwner | P::ReadUser | P::WriteUser;
    QTest::newRow("new file readable by all") << u"page.html"_s << -1 << true << readable;
    QTest::newRow("replaced file keeps its permissions")
        << u"page.html"_s << ownerOnly << true << ownerOnly;
    QTest::newRow("missing folder") << u"none/page.html"_s << -1 << false << -1;
    QTest::newRow("a folder in the way") << u"folder"_s << -1 << false << -1;
}

void TstText::unsyncedReplacement()
{
    QFETCH(QString, target);
    QFETCH(int, before);
    QFETCH(bool, written);
    QFETCH(int, after);
    TestFolder folder;
    QVERIFY(QDir(folder.path()).mkdir(u"folder"_s));
    if (before >= 0) {
        folder.writeBytes(target, "old and longer");
        QVERIFY(QFile::setPermissions(folder.file(target), QFileDevice::Permissions(before)));
    }
    const QStringList entries =
        QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    QCOMPARE(text::WriteFileAtomic(folder.file(target), "new", text::Durability::NoSync), written);
    if (written) {
        QCOMPARE(folder.readBytes(target), QByteArray("new"));
        QCOMPARE(int(QFile::permissions(folder.file(target))), after);
    }
    // Nothing is left beside the target, whether it was written or not.
    QStringList expected = entries;
    if (written && !expected.contains(target))
        expected.append(target);
    expected.sort();
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), expected);
}

void TstText::appendLineCreatesAndAppends()
{
    TestFolder folder;
    const QString path = folder.file(u"log.txt"_s);
    QVERIFY(text::AppendLine(path, u"a"_s));
    QVERIFY(text::AppendLine(path, u"ｂ"_s));
    QCOMPARE(folder.readLines(u"log.txt"_s), (QStringList{u"a"_s, u"ｂ"_s}));
}

void TstText::readingAMissingFileFails()
{
    TestFolder folder;
    QStringList lines{u"keep"_s};
    QVERIFY(!text::ReadLines(folder.file(u"none.txt"_s), &lines));
    QVERIFY(!text::WriteLines(folder.file(u"no/such/folder/x.txt"_s), {u"x"_s}));
}

QTEST_GUILESS_MAIN(TstText)
#include "tst_text.moc"
