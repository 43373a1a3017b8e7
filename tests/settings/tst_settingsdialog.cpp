#include "config/Categories.h"
#include "config/Ini.h"
#include "config/Settings.h"
#include "config/SoftTypes.h"
#include "resources/Icons.h"
#include "settings/frmSetting.h"
#include "support/TestFolder.h"
#include "util/Messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;
using options::frmSetting;

namespace {

const QString kIni = config::kSettingsFile;

QStringList split(const QString& text)
{
    return text.split(u'|');
}

// A settings file as a user of some years has it: values changed since the first run, types in
// four fields, keys spelt as the program's writers spell them.
QStringList settingsLines()
{
    return split(
        u"[URL]|TimeOut=5|UserAgent=Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)|PROXY=2|"
        u"ProxyName=proxy.example|ProxyPort=3128|UseOtherBrowser=1|BrowserPath=/usr/bin/firefox|"
        u"ReadSortType=1|ReadMaxPages=3|[CaChe]|Update=2|DateBeforeUpdate=7|CacheFolder=.\\CACHE|"
        u"[Database]|dbname=.\\Pelimond.MDB|CompactBeforeEnd=1|[Window]|ChangeNormalIcon=4|"
        u"ChangeNewIcon=2|ChangePickUpIcon=1|ChangeReviewIcon=3|RecordListWidth=1|SearchMax=100|"
        u"OpenBrowserDoubleClick=3|OpenTabProperty=2|[License]|UserName=山田|"
        u"Email=yamada@example.jp|[Font]|TreeViewFont=ＭＳ Ｐゴシック|TreeViewFontSize=9|"
        u"ListViewFont=MS UI Gothic|ListViewFontSize=13|[SoftType]|"
        u"SoftType1=0,s_free2.gif,フリーソフト,16711680|SoftType2=1,s_share2.gif,シェアウェア,255|"
        u"SoftType3=99,s_unknown.gif,不明,0,s_unknown.gif|[Agent]|AgentCount=3|"
        u"0=Pelimond version 1.0.0|1=Mozilla/2.0 (compatible; MSIE 3.0A; Windows 95)|"
        u"2=Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)|[PLMDM]|Folder=.\\DOWNLOAD|"
        u"OpenAfterDownload=1|UsePLMDMPropertyWindow=0|FirstBoot=0"_s);
}

// The settings file above, three categories and a cache page, loaded as at start-up.
class SettingsFolder : public TestFolder
{
public:
    SettingsFolder()
    {
        writeLines(kIni, settingsLines());
        const QList<config::CategoryRecord> standard = config::StandardCategories();
        writeLines(config::kCategoryFile,
                   {config::CategoryLine(standard[0]), config::CategoryLine(standard[10]),
                    config::CategoryLine(standard[25])});
        writeBytes(u"CACHE/www.talvex.example/index.html"_s, "page");
        config::LoadSettings();
    }

    QString ini(const QString& section, const QString& key) const
    {
        return config::ReadIni(kIni, section, key, u"<none>"_s);
    }
};

template <typename T> T* child(const QWidget& dialog, const QString& name)
{
    T* w = dialog.findChild<T*>(name);
    if (!w)
        qWarning("no %s", qPrintable(name));
    return w;
}

void clickOk(frmSetting& dialog)
{
    dialog.button(0)->click();
}

} // namespace

class TstSettingsDialog : public QObject
{
    Q_OBJECT

private slots:
    void opensOnTheTabAskedAndShowsTheSettings();
    void okWithoutChangesKeepsTheFile();
    void okWritesEveryTabInOrder();
    void directConnectionKeepsTheProxy();
    void emptyFieldsAreCorrected_data();
    void emptyFieldsAreCorrected();
    void unstorableTextIsRefused_data();
    void unstorableTextIsRefused();
    void categoryList();
    void standardCategoriesOnlyWithOk();
    void typeColours();
    void deleteCache_data();
    void deleteCache();
    void resetColumnWidths();
    void tabOrderAndAccelerators();
};

// What the round trip through OK cannot show: the lists the dialog offers and what it draws.
void TstSettingsDialog::opensOnTheTabAskedAndShowsTheSettings()
{
    SettingsFolder folder;
    frmSetting dialog{frmSetting::DownloadTab};
    QCOMPARE(dialog.windowTitle(), u"Pelimond オプション"_s);
    QCOMPARE(dialog.tabStrip()->currentIndex(), int(frmSetting::DownloadTab));
    QStringList captions;
    for (int i = 0; i < dialog.tabStrip()->count(); ++i)
        captions.append(dialog.tabStrip()->tabText(i));
    QCOMPARE(captions, split(u"ネットワーク|キャッシュ設定|カテゴリの取得|表示設定|システム|"
                             u"その他|フォント設定|ダウンロード"_s));
    QCOMPARE(child<QComboBox>(dialog, u"cmb_agent"_s)->count(), 3);
    QCOMPARE(child<QLabel>(dialog, u"lbl_cachefolder"_s)->text(),
             QDir::toNativeSeparators(folder.file(u"CACHE"_s)));
    QVERIFY(!child<QListWidget>(dialog, u"LstCate"_s)->item(2)->icon().isNull());
    QCOMPARE(child<QSpinBox>(dialog, u"txt_iconnum_0"_s)->maximum(), 13);
    QCOMPARE(child<QLabel>(dialog, u"pic_icon_0"_s)->pixmap().toImage(),
             resources::ListIcon(4).pixmap(16, 16).toImage());
    QCOMPARE(child<QListWidget>(dialog, u"List1"_s)->item(1)->foreground().color(), Qt::red);
    // A size the list lacks is added to it; the sample shows it.
    QCOMPARE(child<QLabel>(dialog, u"lbl_listsample"_s)->font().pointSize(), 13);
}

// OK on an untouched dialog changes no value: relative folders keep their stored form, a font
// the system lacks is kept; only the types gain their fifth field.
void TstSettingsDialog::okWithoutChangesKeepsTheFile()
{
    SettingsFolder folder;
    const QByteArray categories = folder.readBytes(config::kCategoryFile);
    frmSetting dialog;
    clickOk(dialog);
    QVERIFY(dialog.okPressed());
    QVERIFY(!dialog.isVisible());
    QStringList expected = settingsLines();
    expected.replaceInStrings(u"16711680"_s, u"16711680,icon2_f.gif"_s);
    expected.replaceInStrings(u"シェアウェア,255"_s, u"シェアウェア,255,icon2_s.gif"_s);
    QCOMPARE(folder.readLines(kIni), expected);
    QCOMPARE(folder.readBytes(config::kCategoryFile), categories);
    QCOMPARE(config::settings().DownloadFolder, folder.file(u"DOWNLOAD"_s));
}

// Every tab changed, OK writes each key once, in the order of the writes (a file that holds none
// of the keys shows the order), and the settings in memory follow.
void TstSettingsDialog::okWritesEveryTabInOrder()
{
    SettingsFolder folder;
    frmSetting dialog;
    folder.writeBytes(kIni, QByteArray());
    child<QComboBox>(dialog, u"cmb_agent"_s)->setCurrentIndex(1);
    child<QLineEdit>(dialog, u"inp_1"_s)->setText(u"127.0.0.1"_s);
    child<QLineEdit>(dialog, u"inp_2"_s)->setText(u"8081"_s);
    child<QLineEdit>(dialog, u"inp_0"_s)->setText(u"12"_s);
    child<QComboBox>(dialog, u"getmethod_combo"_s)->setCurrentIndex(2);
    child<QLineEdit>(dialog, u"inp_10"_s)->setText(u"5"_s);
    child<QComboBox>(dialog, u"cmb_opentab"_s)->setCurrentIndex(4);
    child<QSpinBox>(dialog, u"txt_iconnum_1"_s)->setValue(9);
    child<QLineEdit>(dialog, u"inp_3"_s)->setText(u"300"_s);
    child<QCheckBox>(dialog, u"chk_opt_1"_s)->setChecked(false);
    child<QComboBox>(dialog, u"cmb_dbl"_s)->setCurrentIndex(5);
    child<QCheckBox>(dialog, u"chk_opt_0"_s)->setChecked(false);
    child<QCheckBox>(dialog, u"chk_opt_5"_s)->setChecked(false);
    child<QLineEdit>(dialog, u"inp_4"_s)->setText(u"鈴木"_s);
    child<QLineEdit>(dialog, u"inp_5"_s)->setText(u"suzuki@example.jp"_s);
    child<QComboBox>(dialog, u"cmb_treesize"_s)->setCurrentText(u"12"_s);
    child<QCheckBox>(dialog, u"chk_opt_3"_s)->setChecked(true);
    child<QCheckBox>(dialog, u"chk_opt_2"_s)->setChecked(false);
    child<QLineEdit>(dialog, u"inp_9"_s)->setText(u"/srv/ライブラリ"_s);
    child<QListWidget>(dialog, u"LstCate"_s)->item(0)->setCheckState(Qt::Checked);
    clickOk(dialog);

    QCOMPARE(folder.readLines(kIni),
             split(u"[cache]|DateBeforeUpdate=12|Update=2|cachefolder=.\\CACHE|[Database]|"
                   u"CompactBeforeEnd=0|[SoftType]|"
                   u"SoftType1=0,s_free2.gif,フリーソフト,16711680,icon2_f.gif|"
                   u"SoftType2=1,s_share2.gif,シェアウェア,255,icon2_s.gif|"
                   u"SoftType3=99,s_unknown.gif,不明,0,s_unknown.gif|[URL]|Proxy=2|"
                   u"ProxyName=127.0.0.1|ProxyPort=8081|ReadSortType=2|ReadMaxPages=5|"
                   u"UseOtherBrowser=0|BrowserPath=/usr/bin/firefox|"
                   u"UserAgent=Mozilla/2.0 (compatible; MSIE 3.0A; Windows 95)|[Window]|"
                   u"ChangeNormalIcon=4|ChangeNewIcon=9|ChangePickUpIcon=1|ChangeReviewIcon=3|"
                   u"RecordListWidth=0|SearchMax=300|OpenBrowserDoubleClick=5|OpenTabProperty=4|"
                   u"[License]|UserName=鈴木|Email=suzuki@example.jp|[Font]|"
                   u"TreeViewFont=ＭＳ Ｐゴシック|TreeViewFontSize=12|ListViewFont=MS UI Gothic|"
                   u"ListViewFontSize=13|[PLMDM]|Folder=/srv/ライブラリ|OpenAfterDownload=0|"
                   u"UsePLMDMPropertyWindow=1"_s));
    const config::Settings& s = config::settings();
    QCOMPARE(s.DateBeforeUpdate, 12);
    QCOMPARE(s.ProxyPort, 8081);
    QCOMPARE(s.ChangeNewIcon, 9);
    QCOMPARE(s.SearchMax, 300);
    QCOMPARE(s.TreeViewFontSize, 12);
    QCOMPARE(s.DownloadFolder, u"/srv/ライブラリ"_s);
    QCOMPARE(s.UserAgent, u"Mozilla/2.0 (compatible; MSIE 3.0A; Windows 95)"_s);
    // CATEGORY.INI and the table follow the list.
    QVERIFY(folder.readLines(config::kCategoryFile)[0].endsWith(u"filearea/data/@@1"_s));
    QCOMPARE(config::Categories().size(), 4);
    QVERIFY(config::Categories()[1].Fetch);
}

void TstSettingsDialog::directConnectionKeepsTheProxy()
{
    SettingsFolder folder;
    frmSetting dialog;
    QLineEdit* address = child<QLineEdit>(dialog, u"inp_1"_s);
    const QColor white = address->palette().color(QPalette::Base);
    child<QRadioButton>(dialog, u"opt_connect_4"_s)->setChecked(true);
    QVERIFY(!address->isEnabled() && !child<QLineEdit>(dialog, u"inp_2"_s)->isEnabled());
    QCOMPARE(address->palette().color(QPalette::Base), QPalette().color(QPalette::Button));
    child<QRadioButton>(dialog, u"opt_connect_6"_s)->setChecked(true);
    QCOMPARE(address->palette().color(QPalette::Base), white);
    child<QRadioButton>(dialog, u"opt_connect_4"_s)->setChecked(true);
    child<QRadioButton>(dialog, u"opt_connect_3"_s)->setChecked(true);
    QVERIFY(!child<QLineEdit>(dialog, u"inp_0"_s)->isEnabled());
    child<QLineEdit>(dialog, u"inp_0"_s)->setText(u"40"_s); // not stored outside cache-date
    child<QCheckBox>(dialog, u"chk_opt_1"_s)->setChecked(false);
    QVERIFY(!child<QPushButton>(dialog, u"Ref_4"_s)->isEnabled());
    clickOk(dialog);
    QCOMPARE(folder.ini(u"URL"_s, u"Proxy"_s), u"0"_s);
    QCOMPARE(folder.ini(u"URL"_s, u"ProxyName"_s), u"proxy.example"_s);
    QCOMPARE(folder.ini(u"URL"_s, u"ProxyPort"_s), u"3128"_s);
    QCOMPARE(folder.ini(u"CACHE"_s, u"Update"_s), u"3"_s);
    QCOMPARE(folder.ini(u"CACHE"_s, u"DateBeforeUpdate"_s), u"7"_s);
}

void TstSettingsDialog::emptyFieldsAreCorrected_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    QTest::newRow("days") << u"inp_0"_s << u"CACHE"_s << u"DateBeforeUpdate"_s << u"0"_s;
    QTest::newRow("pages") << u"inp_10"_s << u"URL"_s << u"ReadMaxPages"_s << u"0"_s;
    QTest::newRow("search hits") << u"inp_3"_s << u"Window"_s << u"SearchMax"_s << u"200"_s;
    QTest::newRow("download folder") << u"inp_9"_s << u"PLMDM"_s << u"Folder"_s << u".\\DOWNLOAD"_s;
}

void TstSettingsDialog::emptyFieldsAreCorrected()
{
    QFETCH(QString, field);
    QFETCH(QString, section);
    QFETCH(QString, key);
    SettingsFolder folder;
    config::WriteIni(u"PLMDM"_s, u"Folder"_s, u"/srv/old"_s, kIni);
    config::LoadSettings();
    msg::ScriptedSink messages;
    frmSetting dialog;
    QLineEdit* edit = child<QLineEdit>(dialog, field);
    edit->clear();
    QTest::keyClicks(edit, u"x"_s); // the number fields take digits only
    QCOMPARE(edit->text().isEmpty(), field != u"inp_9");
    edit->clear();
    clickOk(dialog);
    QVERIFY(dialog.okPressed());
    QTEST(folder.ini(section, key), "stored");
    QVERIFY(messages.shown.isEmpty());
    if (field == u"inp_9")
        QCOMPARE(config::settings().DownloadFolder, folder.file(u"DOWNLOAD"_s));
}

// A text the code page cannot hold is refused before anything is written; the dialog stays open
// on the field's tab.
void TstSettingsDialog::unstorableTextIsRefused_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("tab");
    QTest::newRow("download folder") << u"inp_9"_s << int(frmSetting::DownloadTab);
    QTest::newRow("user name") << u"inp_4"_s << int(frmSetting::OtherTab);
    QTest::newRow("browser") << u"inp_8"_s << int(frmSetting::SystemTab);
    QTest::newRow("proxy") << u"inp_1"_s << int(frmSetting::NetworkTab);
}

void TstSettingsDialog::unstorableTextIsRefused()
{
    QFETCH(QString, field);
    QFETCH(int, tab);
    SettingsFolder folder;
    const QByteArray before = folder.readBytes(kIni);
    msg::ScriptedSink messages;
    frmSetting dialog{frmSetting::CategoryTab};
    dialog.show();
    child<QLineEdit>(dialog, field)->setText(u"/home/a/Grüße"_s);
    clickOk(dialog);
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown[0].title, u"Pelimond オプション"_s);
    QCOMPARE(messages.shown[0].icon, msg::Icon::Exclamation);
    QVERIFY(messages.shown[0].text.contains(u"「/home/a/Grüße」"_s));
    QVERIFY(messages.shown[0].text.contains(u"「ü」「ß」"_s));
    QVERIFY(!dialog.okPressed() && dialog.isVisible());
    QCOMPARE(dialog.tabStrip()->currentIndex(), tab);
    QCOMPARE(folder.readBytes(kIni), before);
}

void TstSettingsDialog::categoryList()
{
    SettingsFolder folder;
    msg::ScriptedSink messages;
    frmSetting dialog{frmSetting::CategoryTab};
    QListWidget* list = child<QListWidget>(dialog, u"LstCate"_s);
    QLineEdit* name = child<QLineEdit>(dialog, u"inp_6"_s);
    QLineEdit* url = child<QLineEdit>(dialog, u"inp_7"_s);
    QPushButton* add = child<QPushButton>(dialog, u"Ref_0"_s);
    QVERIFY(!add->isEnabled());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    QCOMPARE(name->text(), u"Windows"_s);
    QCOMPARE(url->text(), config::SiteRoot + u"tpack/filearea/win/"_s);
    QVERIFY(add->isEnabled());
    url->clear();
    QVERIFY(!add->isEnabled());
    name->setText(u"独自"_s);
    url->setText(u"http://www.talvex.example/tpack/filearea/own/"_s);
    add->click();
    QCOMPARE(list->count(), 4);
    QCOMPARE(list->item(3)->checkState(), Qt::Unchecked);
    // Names the file could not give back are refused.
    for (const QString& bad : {u"a@@b"_s, u"Grüße"_s}) {
        name->setText(bad);
        add->click();
    }
    QCOMPARE(list->count(), 4);
    QCOMPARE(messages.shown.size(), 2);
    list->setCurrentRow(0);
    child<QPushButton>(dialog, u"Ref_1"_s)->click();
    QCOMPARE(list->item(0)->text(), u"Windows"_s);
    clickOk(dialog);
    const QStringList lines = folder.readLines(config::kCategoryFile);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[2], u"独自@@http://www.talvex.example/tpack/filearea/own/@@0"_s);
    QCOMPARE(config::Categories().size(), 4);
}

// 標準に戻す shows the standard list; only OK writes it and makes it the table.
void TstSettingsDialog::standardCategoriesOnlyWithOk()
{
    SettingsFolder folder;
    const QByteArray before = folder.readBytes(config::kCategoryFile);
    msg::ScriptedSink messages;
    for (const bool ok : {false, true}) {
        frmSetting dialog{frmSetting::CategoryTab};
        QPushButton* standard = child<QPushButton>(dialog, u"Ref_2"_s);
        standard->click(); // No is the default answer
        QCOMPARE(child<QListWidget>(dialog, u"LstCate"_s)->count(), 3);
        messages.answerNext(msg::Answer::Yes);
        standard->click();
        QCOMPARE(child<QListWidget>(dialog, u"LstCate"_s)->count(), 30);
        dialog.button(ok ? 0 : 1)->click();
        QCOMPARE(folder.readBytes(config::kCategoryFile) == before, !ok);
        QCOMPARE(config::Categories().size(), ok ? 31 : 4);
    }
    const msg::Message& asked = messages.shown[0];
    QCOMPARE(asked.text, u"カテゴリデータ取得の設定を標準に戻してよろしいですか?"_s);
    QCOMPARE(asked.title, u"標準設定に戻す"_s);
    QCOMPARE(asked.defaultAnswer, msg::Answer::No);
    QCOMPARE(asked.icon, msg::Icon::Question);
    QStringList standard;
    for (const config::CategoryRecord& row : config::StandardCategories())
        standard.append(config::CategoryLine(row));
    QCOMPARE(folder.readLines(config::kCategoryFile), standard);
}

void TstSettingsDialog::typeColours()
{
    SettingsFolder folder;
    frmSetting dialog{frmSetting::DisplayTab};
    QListWidget* types = child<QListWidget>(dialog, u"List1"_s);
    QScrollBar* green = child<QScrollBar>(dialog, u"Colorsc_1"_s);
    QCOMPARE(child<QScrollBar>(dialog, u"Colorsc_2"_s)->value(), 255); // フリーソフト, blue
    types->setCurrentRow(1);                                           // シェアウェア, red
    QCOMPARE(child<QScrollBar>(dialog, u"Colorsc_0"_s)->value(), 255);
    QCOMPARE(green->value(), 0);
    green->setValue(128);
    QCOMPARE(child<QLabel>(dialog, u"lbl_color_1"_s)->text(), u"128"_s);
    QCOMPARE(types->item(1)->foreground().color(), QColor(255, 128, 0));
    QCOMPARE(child<QFrame>(dialog, u"pic_color"_s)->palette().color(QPalette::Window),
             QColor(255, 128, 0));
    QCOMPARE(config::SoftTypes()[1].Color, 255); // not before OK
    clickOk(dialog);
    QCOMPARE(folder.ini(u"SoftType"_s, u"SoftType2"_s),
             u"1,s_share2.gif,シェアウェア,33023,icon2_s.gif"_s);
    QCOMPARE(config::SoftTypes()[1].Color, 0x0080FF);
}

void TstSettingsDialog::deleteCache_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("cacheThere");
    QTest::addColumn<QString>("told"); // title of the second message; "" for none
    QTest::newRow("yes") << int(msg::Answer::Yes) << true << u"ファイルの削除"_s;
    QTest::newRow("no") << int(msg::Answer::No) << true << QString();
    QTest::newRow("folder missing") << int(msg::Answer::Yes) << false << u"ファイルの削除エラー"_s;
}

void TstSettingsDialog::deleteCache()
{
    QFETCH(int, answer);
    QFETCH(bool, cacheThere);
    QFETCH(QString, told);
    SettingsFolder folder;
    if (!cacheThere)
        QVERIFY(QDir(folder.file(u"CACHE"_s)).removeRecursively());
    msg::ScriptedSink messages;
    messages.answerNext(msg::Answer(answer));
    {
        frmSetting dialog{frmSetting::CacheTab};
        child<QPushButton>(dialog, u"cmd_frame_0"_s)->click();
        dialog.button(1)->click(); // Cancel keeps what was done
    }
    QCOMPARE(messages.shown[0].text,
             u"キャッシュフォルダに保存されている\r\nすべてのファイルを削除しますか?\r\n"_s);
    QCOMPARE(messages.shown[0].defaultAnswer, msg::Answer::No);
    QCOMPARE(messages.shown.size(), told.isEmpty() ? 1 : 2);
    if (told.isEmpty()) {
        QVERIFY(QFile::exists(folder.file(u"CACHE/www.talvex.example/index.html"_s)));
        return;
    }
    QCOMPARE(messages.shown[1].title, told);
    if (cacheThere) {
        QCOMPARE(messages.shown[1].text, u"キャッシュファイルの削除が完了しました"_s);
        QCOMPARE(messages.shown[1].icon, msg::Icon::Information);
        QVERIFY(QDir(folder.file(u"CACHE"_s)).isEmpty());
        QVERIFY(QDir(folder.file(u"CACHE"_s)).exists());
    } else {
        QCOMPARE(messages.shown[1].icon, msg::Icon::Stop);
        QVERIFY(
            messages.shown[1].text.startsWith(u"キャッシュファイルの削除に失敗しました。\r\n"_s));
    }
}

void TstSettingsDialog::resetColumnWidths()
{
    SettingsFolder folder;
    config::WriteIni(u"Window"_s, u"ListView2"_s, 5000, kIni);
    msg::ScriptedSink messages;
    frmSetting dialog{frmSetting::SystemTab};
    QSignalSpy reset(&dialog, &frmSetting::listWidthsReset);
    QPushButton* button = child<QPushButton>(dialog, u"cmd_frame_1"_s);
    messages.answerNext(msg::Answer::No);
    button->click();
    QCOMPARE(folder.ini(u"Window"_s, u"ListView2"_s), u"5000"_s);
    button->click();
    QCOMPARE(messages.shown[1].text, u"リストの幅をデフォルトに戻しますか?"_s);
    QCOMPARE(messages.shown[1].title, u"デフォルト"_s);
    dialog.button(1)->click();
    QCOMPARE(reset.size(), 1);
    const config::Settings defaults;
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(folder.ini(u"Window"_s, u"ListView"_s + QString::number(i + 1)),
                 QString::number(defaults.ListViewWidths[std::size_t(i)]));
    }
    QCOMPARE(config::settings().ListViewWidths[1], 3165);
}

void TstSettingsDialog::tabOrderAndAccelerators()
{
    SettingsFolder folder;
    frmSetting dialog;
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    child<QComboBox>(dialog, u"cmb_agent"_s)->setFocus();
    QStringList order;
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.append(QApplication::focusWidget()->objectName());
    }
    // The proxy options are one stop; the arrow keys move among them.
    QVERIFY(order.takeFirst().startsWith(u"opt_connect_"_s));
    QCOMPARE(order, split(u"inp_1|inp_2|cmd_set_0|cmd_set_1|qt_tabwidget_tabbar"_s));

    child<QRadioButton>(dialog, u"opt_connect_4"_s)->setChecked(true);
    QTest::keyClick(&dialog, Qt::Key_P, Qt::AltModifier);
    QTRY_VERIFY(child<QRadioButton>(dialog, u"opt_connect_6"_s)->isChecked());
    QTest::keyClick(&dialog, Qt::Key_T, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), child<QLineEdit>(dialog, u"inp_2"_s));
    QTest::keyClick(&dialog, Qt::Key_O, Qt::AltModifier);
    QTRY_VERIFY(dialog.okPressed());
}

QTEST_MAIN(TstSettingsDialog)
#include "tst_settingsdialog.moc"
