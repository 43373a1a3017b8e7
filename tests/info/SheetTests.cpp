// The software property sheet: its fill from the catalogue row, its buttons and keys, the
// notebook it keeps and the read of the entry's details from the site.

#include "InfoFixture.h"
#include "config/Settings.h"
#include "info/Notebook.h"
#include "info/frmProperty.h"
#include "talvex-sim/Site.h"
#include "tst_info.h"
#include "update/RunState.h"
#include "util/Messages.h"
#include "util/Text.h"

#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;
using info::frmProperty;

namespace {

const QString kUtil = kLibrary + u"win/util/"_s;
const QString kPage = config::SiteRoot + u"soft/win/util/se123456.html"_s;
const QString kNotebookFile = u"ADDINFO/soft_win_util_se123456.dat"_s;

// A sheet on the entry, shown and read, with the links it opened.
class Sheet
{
public:
    explicit Sheet(const catalogue::EntryRow& row, bool favoritesView = false)
        : window(
              {row.BaseURL, row.TargetURL}, [favoritesView] { return favoritesView; },
              [this](const QString& url) { opened.append(url); })
    {
        window.show();
        QTRY_VERIFY(window.readDone());
    }
    QString text(int box) const { return window.boxText(box); }
    QPlainTextEdit* comment() const { return qobject_cast<QPlainTextEdit*>(window.box(24)); }
    void click(int button) const { window.button(button)->click(); }

    QStringList opened;
    frmProperty window;
};

void WriteComment(const QString& target, const QString& comment)
{
    info::Notebook notebook;
    notebook.comment = comment;
    QString error;
    QVERIFY2(info::SaveNotebook(target, notebook, &error), qPrintable(error));
}

} // namespace

void TstInfo::sheetFill_data()
{
    QTest::addColumn<qint64>("size"); // KB and bytes; -1: Null
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("osType");
    QTest::addColumn<int>("fileType");
    QTest::addColumn<QStringList>("shown"); // boxes 4, 15, 3, 11, 5
    QTest::newRow("every value") << qint64(2) << u"ユーティリティ"_s << u"Win95/98"_s << 1
                                 << QStringList{u"2 KB (2,048 バイト)"_s,
                                                u"ユーティリティ (Win95/98)"_s, u"シェアウェア"_s,
                                                u"¥2,048.-"_s, u"2024/03/09"_s};
    QTest::newRow("nothing known")
        << qint64(-1) << QString() << QString() << 7
        << QStringList{u"0 KB (0 バイト)"_s, QString(), u"7"_s, u"¥0.-"_s, u"----/--/--"_s};
    QTest::newRow("category without OS type")
        << qint64(0) << u"ゲーム"_s << QString() << 99
        << QStringList{u"0 KB (0 バイト)"_s, u"ゲーム ()"_s, u"不明"_s, u"¥0.-"_s, u"----/--/--"_s};
}

void TstInfo::sheetFill()
{
    QFETCH(qint64, size);
    QFETCH(QString, category);
    QFETCH(QString, osType);
    QFETCH(int, fileType);
    QFETCH(QStringList, shown);
    const InfoProgram program;
    config::settings().OpenTabProperty = 4;
    catalogue::EntryRow row = Entry(kUtil, kPage, u"テストソフト"_s);
    if (size >= 0) {
        row.FileSize = size;
        row.FileSize2 = size * 1024;
        row.RegiMoney = size * 1024;
        row.FTPURL = u"http://dl.talvex.example/a.lzh"_s;
    }
    if (size > 0)
        row.RegistDate = QDateTime(QDate(2024, 3, 9), QTime());
    row.Category = category;
    row.OSType = osType;
    row.FileType = fileType;
    row.DescriptionDetail = u"一行目\r\n二行目"_s;
    program.addEntries({row});

    frmProperty loading({row.BaseURL, row.TargetURL}, {}, {});
    QCOMPARE(loading.windowTitle(), u" プロパティの読み込み中です..."_s);
    QCOMPARE(loading.tabStrip()->currentIndex(), int(frmProperty::NotebookTab));
    const Sheet sheet(row);

    QCOMPARE(sheet.window.windowTitle(), u" テストソフト のプロパティ"_s);
    QCOMPARE(
        (QStringList{sheet.text(4), sheet.text(15), sheet.text(3), sheet.text(11), sheet.text(5)}),
        shown);
    QCOMPARE(sheet.text(9), u"一行目\n二行目"_s);
    // A link button is enabled exactly when its box holds an address.
    QVERIFY(sheet.window.linkButton(0)->isEnabled());
    QCOMPARE(sheet.window.linkButton(1)->isEnabled(), size >= 0);
    QVERIFY(!sheet.window.linkButton(2)->isEnabled());
    QVERIFY(qobject_cast<QLineEdit*>(sheet.window.box(6))->isReadOnly());
    QVERIFY(sheet.window.findChild<QLabel*>(u"lbl_note"_s)
                ->text()
                .startsWith(u"カルナ・ソルテの支払い手続きは、\n上のボタンで開く"_s));
}

void TstInfo::favoritesButton_data()
{
    QTest::addColumn<bool>("favoritesView");
    QTest::addColumn<bool>("yes"); // the answer to the question
    QTest::newRow("disabled in the favourites view") << true << false;
    QTest::newRow("Yes marks the entry") << false << true;
    QTest::newRow("No leaves it") << false << false;
}

void TstInfo::favoritesButton()
{
    QFETCH(bool, favoritesView);
    QFETCH(bool, yes);
    const InfoProgram program;
    const catalogue::EntryRow row = Entry(kUtil, kPage);
    program.addEntries({row});
    msg::ScriptedSink messages;
    const Sheet sheet(row, favoritesView);
    QPushButton* favorites = sheet.window.button(frmProperty::FavoritesButton);
    QCOMPARE(favorites->isEnabled(), !favoritesView);
    if (favoritesView)
        return;

    messages.answerNext(yes ? msg::Answer::Yes : msg::Answer::No);
    favorites->click();

    QCOMPARE(program.entry(row.BaseURL, row.TargetURL).Favorites, yes);
    QCOMPARE(messages.shown.size(), yes ? 2 : 1);
    QCOMPARE(messages.shown[0].text, u"このライブラリをお気に入りに追加しますか?"_s);
    if (yes)
        QCOMPARE(messages.shown[1].text, u"ライブラリをお気に入りに追加しました。"_s);
}

void TstInfo::sheetKeys_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("box"); // the focused box
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result"); // -1: the sheet stays open
    QTest::newRow("Enter on 全般 is OK") << 0 << 1 << int(Qt::Key_Return) << int(QDialog::Accepted);
    QTest::newRow("Escape on 全般 is キャンセル")
        << 0 << 6 << int(Qt::Key_Escape) << int(QDialog::Rejected);
    QTest::newRow("Enter in a read-only text on 説明 is OK")
        << 1 << 9 << int(Qt::Key_Enter) << int(QDialog::Accepted);
    QTest::newRow("Enter in the comment breaks its line") << 4 << 24 << int(Qt::Key_Return) << -1;
    QTest::newRow("Escape on 追加情報 stays") << 4 << 19 << int(Qt::Key_Escape) << -1;
}

void TstInfo::sheetKeys()
{
    QFETCH(int, tab);
    QFETCH(int, box);
    QFETCH(int, key);
    QFETCH(int, result);
    const InfoProgram program;
    const Sheet sheet(Entry(kUtil, kPage));
    sheet.window.tabStrip()->setCurrentIndex(tab);
    QTest::keyClick(sheet.comment(), Qt::Key_A);

    QTest::keyClick(sheet.window.box(box), Qt::Key(key));

    QCOMPARE(sheet.window.isVisible(), result < 0);
    if (result >= 0) {
        QCOMPARE(sheet.window.result(), result);
        QVERIFY(update::runState().Cancel); // reads still running stop
        return;
    }
    QTest::keyClick(sheet.comment(), Qt::Key_B);
    QCOMPARE(sheet.text(24), box == 24 ? u"a\nb"_s : u"ab"_s);
}

void TstInfo::notebookSavedByOkOnly_data()
{
    QTest::addColumn<QString>("comment");
    QTest::addColumn<int>("closing"); // a bottom button; -1 the close box
    QTest::addColumn<QByteArray>("file");
    const QByteArray earlier = "\r\n\r\n\r\n\r\n\r\n" + text::EncodeCp932(u"前\r\n");
    QTest::newRow("OK writes five empty lines and the comment")
        << u"メモ\n二行目"_s << int(frmProperty::OkButton)
        << "\r\n\r\n\r\n\r\n\r\n" + text::EncodeCp932(u"メモ\r\n二行目\r\n");
    QTest::newRow("OK with every box empty removes the file")
        << QString() << int(frmProperty::OkButton) << QByteArray();
    QTest::newRow("キャンセル does not save")
        << u"新"_s << int(frmProperty::CancelButton) << earlier;
    QTest::newRow("the close box does not save") << u"新"_s << -1 << earlier;
}

void TstInfo::notebookSavedByOkOnly()
{
    QFETCH(QString, comment);
    QFETCH(int, closing);
    QFETCH(QByteArray, file);
    const InfoProgram program;
    const catalogue::EntryRow row = Entry(kUtil, kPage);
    program.addEntries({row});
    WriteComment(kPage, u"前"_s);
    {
        Sheet sheet(row);
        QCOMPARE(sheet.text(24), u"前"_s);
        sheet.comment()->setPlainText(comment);
        if (closing < 0)
            sheet.window.close();
        else
            sheet.click(closing);
        QVERIFY(!sheet.window.isVisible());
        // The close box leaves the reads of other sheets running.
        QCOMPARE(update::runState().Cancel, closing >= 0);
    }
    QCOMPARE(program.folder().readBytes(kNotebookFile), file);
    if (!file.isEmpty())
        QCOMPARE(Sheet(row).text(24), closing == frmProperty::OkButton ? comment : u"前"_s);
}

void TstInfo::notebookReloadShowsCommentOnce()
{
    const InfoProgram program;
    msg::ScriptedSink messages;
    const catalogue::EntryRow row = RichEntry();
    program.addEntries({row});
    WriteComment(row.TargetURL, u"一度だけ\n表示"_s);
    const Sheet sheet(row);
    sheet.click(frmProperty::ReloadButton);
    sheet.click(frmProperty::ReloadButton);
    QCOMPARE(sheet.text(24), u"一度だけ\n表示"_s);
    QVERIFY(messages.shown.isEmpty());
}

void TstInfo::notebookRefusedNameKeepsText()
{
    const InfoProgram program;
    msg::ScriptedSink messages;
    const Sheet sheet(Entry(kUtil, config::SiteRoot + u"soft\\se1.html"_s));
    sheet.comment()->setPlainText(u"消さないで"_s);

    sheet.click(frmProperty::OkButton);

    QVERIFY(sheet.window.isVisible());
    QCOMPARE(sheet.text(24), u"消さないで"_s);
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown[0].title, u"追加情報の保存"_s);
    QCOMPARE(messages.shown[0].icon, msg::Icon::Exclamation);
    // With nothing to keep, OK closes.
    sheet.comment()->clear();
    sheet.click(frmProperty::OkButton);
    QVERIFY(!sheet.window.isVisible());
    QCOMPARE(messages.shown.size(), 1);
}

void TstInfo::notebookBoxesAndDrop()
{
    const InfoProgram program;
    const Sheet sheet(Entry(kUtil, kPage));
    auto* box = qobject_cast<QLineEdit*>(sheet.window.box(21));
    QPushButton* open = sheet.window.linkButton(8);
    QVERIFY(!open->isEnabled());
    QTest::keyClicks(box, u"x"_s);
    QVERIFY(open->isEnabled());
    QTest::keyClick(box, Qt::Key_Backspace);
    QVERIFY(!open->isEnabled());

    // Text dragged in from elsewhere replaces what the box held.
    box->setText(u"old"_s);
    QMimeData mime;
    mime.setText(u"http://dropped.example/page.html\r\n"_s);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &drop);
    QCOMPARE(box->text(), u"http://dropped.example/page.html"_s);
    open->click();
    QCOMPARE(sheet.opened, QStringList{box->text()});
}

void TstInfo::links_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("ownDownload"); // the setting UsePLMDMPropertyWindow
    QTest::addColumn<bool>("starter");    // the program's own download is there
    QTest::addColumn<QString>("opened");
    const QString archive = u"http://dl.talvex.example/a.lzh"_s;
    QTest::newRow("page") << 0 << 0 << true << kPage;
    QTest::newRow("download through the browser") << 1 << 0 << true << archive;
    QTest::newRow("the program's own download") << 1 << 1 << true << QString();
    QTest::newRow("own download without a starter") << 1 << 1 << false << archive;
}

void TstInfo::links()
{
    QFETCH(int, button);
    QFETCH(int, ownDownload);
    QFETCH(bool, starter);
    QFETCH(QString, opened);
    const InfoProgram program;
    config::settings().UsePLMDMPropertyWindow = ownDownload;
    catalogue::EntryRow row = Entry(kUtil, kPage);
    row.FTPURL = u"http://dl.talvex.example/a.lzh"_s;
    program.addEntries({row});
    Sheet sheet(row);
    QStringList started;
    if (starter)
        sheet.window.setDownloadStarter(
            [&started](const mainwindow::EntryKey& key) { started << key.base << key.target; });

    sheet.window.linkButton(button)->click();

    QCOMPARE(sheet.opened, opened.isEmpty() ? QStringList() : QStringList{opened});
    QCOMPARE(started, opened.isEmpty() ? (QStringList{kUtil, kPage}) : QStringList());
}

void TstInfo::readFetchesDetailOnceAndReloadAgain()
{
    const InfoProgram program;
    config::settings().Update = 3;
    msg::ScriptedSink messages;
    const talvexsim::Package* p = nullptr;
    const catalogue::EntryRow row = RichEntry(&p);
    const talvexsim::Detail d = simSite().detail(p->index);
    program.addEntries({row});

    const Sheet sheet(row);
    QCOMPARE(requestsFor(p->url), 1);
    QCOMPARE(sheet.text(7), d.ftpUrl);
    QCOMPARE(sheet.text(14), d.authorUrl);

    // Another sheet closed with OK meanwhile: 再読込 reads all the same.
    update::runState().Cancel = true;
    program.execute(u"UPDATE T_Softwares SET FTPURL = ''"_s);
    sheet.click(frmProperty::ReloadButton);
    QCOMPARE(requestsFor(p->url), 2);
    QCOMPARE(sheet.text(7), d.ftpUrl);
    QVERIFY(sheet.window.button(frmProperty::OkButton)->isEnabled());
    QVERIFY(messages.shown.isEmpty());
}

void TstInfo::deletedRowKeepsCaption()
{
    const InfoProgram program;
    msg::ScriptedSink messages;
    const Sheet sheet(Entry(kUtil, kPage));
    QCOMPARE(sheet.window.windowTitle(), u" プロパティの読み込み中です..."_s);
    QCOMPARE(sheet.text(0), QString());
    QVERIFY(sheet.window.button(frmProperty::CancelButton)->isEnabled());
    QVERIFY(messages.shown.isEmpty());
}
