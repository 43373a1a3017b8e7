// The notebook file, the address lookup and the member-service addresses.

#include "InfoFixture.h"
#include "config/Settings.h"
#include "info/EntryAddresses.h"
#include "info/Notebook.h"
#include "talvex-sim/RequestLog.h"
#include "talvex-sim/SimServerThread.h"
#include "tst_info.h"
#include "util/Messages.h"
#include "util/Text.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kTarget = config::SiteRoot + u"soft/win/util/se123456.html"_s;

} // namespace

void TstInfo::notebookFileName_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("name");
    const QString root = config::SiteRoot;
    QTest::newRow("page below the root") << kTarget << u"soft_win_util_se123456.dat"_s;
    QTest::newRow("two dots") << root + u".."_s << QString();
    QTest::newRow("backslash") << root + u"soft\\se1.html"_s << QString();
    QTest::newRow("255 bytes") << root + QString(251, u'a') + u".html"_s
                               << QString(251, u'a') + u".dat"_s;
    QTest::newRow("256 bytes") << root + QString(252, u'a') + u".html"_s << QString();
    // 88 characters with ".dat", but 256 bytes on disk.
    QTest::newRow("kana count by their bytes")
        << root + QString(84, u'あ') + u".html"_s << QString();
}

void TstInfo::notebookFileName()
{
    QFETCH(QString, target);
    QFETCH(QString, name);
    QCOMPARE(info::NotebookFileName(target), name);
}

void TstInfo::notebookRoundTrip_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<bool>("cp932"); // else UTF-8 behind its byte order mark
    QTest::newRow("only the comment") << QString() << u"メモ\n\n三行目"_s << true;
    QTest::newRow("symbols CP932 holds") << u"http://a.example/～①＼"_s << u"x"_s << true;
    QTest::newRow("a character CP932 lacks") << u"𠮷野家"_s << u"絵文字😀\n次"_s << false;
}

void TstInfo::notebookRoundTrip()
{
    QFETCH(QString, url);
    QFETCH(QString, comment);
    QFETCH(bool, cp932);
    const InfoProgram program;
    info::Notebook notebook;
    notebook.urls[1] = url;
    notebook.comment = comment;
    QString error;
    QVERIFY2(info::SaveNotebook(kTarget, notebook, &error), qPrintable(error));

    // Lines 1 to 5 the addresses, then the comment, every line ended by CR LF.
    const QString expected = u"\r\n"_s + url + u"\r\n\r\n\r\n\r\n"_s +
                             QString(comment).replace(u"\n"_s, u"\r\n"_s) + u"\r\n"_s;
    const QByteArray bytes = program.folder().readBytes(u"ADDINFO/soft_win_util_se123456.dat"_s);
    const QByteArray bom = QByteArrayLiteral("\xEF\xBB\xBF");
    QCOMPARE(bytes, cp932 ? text::EncodeCp932(expected) : bom + expected.toUtf8());
    const std::optional<info::Notebook> loaded = info::LoadNotebook(kTarget);
    QVERIFY(loaded);
    QCOMPARE(loaded->urls, notebook.urls);
    QCOMPARE(loaded->comment, comment);
}

void TstInfo::memberServiceAddresses()
{
    const InfoProgram program;
    config::settings().Email = u"user@example.jp"_s;
    config::settings().UserName = u"山田"_s;
    const info::SelectedEntry entry{kLibrary, config::SiteRoot + u"soft/se000123.html"_s,
                                    u"My ソフト"_s};
    QCOMPARE(info::MemberEntryNumber(entry.target), u"000123"_s);
    QCOMPARE(info::GetMemberServiceAddress(entry, 0),
             u"http://member.talvex.example/servlet/System.FileDownload/append/html/0/000123/"_s);
    // A blank becomes "+", each CP932 byte of a Japanese character a percent pair.
    QCOMPARE(info::GetMemberServiceAddress(entry, 1),
             u"http://member.talvex.example/servlet/Service.MailTo.Top?TITLE=My+%83%5C%83%74%83%67"
             "&URL=http%3A%2F%2Fwww.talvex.example%2Fsoft%2Fse000123.html"
             "&EMAIL=user@example.jp&NAME=%8E%52%93%63"_s);
    QCOMPARE(info::GetMemberServiceAddress(entry, 2), QString());
}

void TstInfo::entryAddressKinds_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("storedAuthor");
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("message");
    QTest::newRow("kind 7 gives nothing") << 7 << QString() << QString() << false;
    QTest::newRow("stored author page, no read")
        << 2 << u"http://author.example/"_s << u"http://author.example/"_s << false;
    QTest::newRow("author page that stays empty") << 2 << QString() << QString() << true;
}

void TstInfo::entryAddressKinds()
{
    QFETCH(int, kind);
    QFETCH(QString, storedAuthor);
    QFETCH(QString, address);
    QFETCH(bool, message);
    const InfoProgram program;
    msg::ScriptedSink messages;
    catalogue::EntryRow row = RichEntry();
    row.AuthorURL = storedAuthor;
    program.addEntries({row});
    // Online, so that a needless read of the detail page would reach the site.
    config::settings().Update = storedAuthor.isEmpty() ? 0 : 3;
    const info::SelectedEntry entry{row.BaseURL, row.TargetURL, row.SoftName};

    QCOMPARE(info::GetEntryAddress(info::RecordCurrentEntry(row), entry, kind, nullptr), address);

    QCOMPARE(simServer().requests().size(), 0);
    QCOMPARE(messages.shown.size(), message ? 1 : 0);
    if (message) {
        QCOMPARE(messages.shown[0].text, u"選択されたライブラリの作者が取得できませんでした。"_s);
        QCOMPARE(messages.shown[0].title, u"情報を取得できませんでした"_s);
        QCOMPARE(messages.shown[0].icon, msg::Icon::Exclamation);
    }
}
