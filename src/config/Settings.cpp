#include "config/Settings.h"

#include "catalogue/Catalogue.h"
#include "config/Categories.h"
#include "config/Ini.h"
#include "config/SoftTypes.h"
#include "util/FileUtil.h"
#include "util/Messages.h"
#include "util/ProgramFolder.h"

#include <QFileInfo>

namespace config {

namespace {

const QString kAgentSamples[] = {
    QStringLiteral("Mozilla/2.0 (compatible; MSIE 3.0A; Windows 95)"),
    QStringLiteral("Mozilla/2.02 [ja] (Macintosh; I; PPC)"),
    QStringLiteral("Mozilla/3.03 [ja] (Win95; I)"),
    QStringLiteral("Mozilla/4.0 (compatible; MSIE 5.01; Windows NT 5.0)"),
    QStringLiteral("Mozilla/4.0 (compatible; MSIE 5.21; Mac_PowerPC)"),
    QStringLiteral("Mozilla/4.0 (compatible; MSIE 5.5; Windows 98; Win 9x 4.90)"),
    QStringLiteral("Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)"),
    QStringLiteral("Mozilla/4.5 (compatible; iCab 2.8.1; Macintosh; I; PPC)"),
    QStringLiteral("Mozilla/4.5 (compatible; OmniWeb/4.1-v422; Mac_PowerPC)"),
    QStringLiteral("Mozilla/4.75 [ja/[Vine,RedHat]] (X11; U; Linux 2.2.16-22 i686)"),
    QStringLiteral("Mozilla/4.78 [ja] (Windows NT 5.0; U)"),
    QStringLiteral("Mozilla/5.0 (Windows; U; Windows NT 5.1; ja-JP; rv:1.0.0) Gecko/20020530"),
    QStringLiteral("Mozilla/5.0 (Windows; U; Windows NT 5.1; ja-JP; rv:1.0.1) Gecko/20020823 "
                   "Netscape/7.0"),
    QStringLiteral("Mozilla/5.0 (X11; U; Linux i686; ja-JP; rv:0.9.4.1) Gecko/20020508 "
                   "Netscape6/6.2.3"),
    QStringLiteral("Opera/6.05 (Windows XP; U) [ja]"),
};

QString read(const QString& section, const QString& key, const QString& def)
{
    return ReadIni(kSettingsFile, section, key, def);
}

// Keys read with a numeric test: anything that is not a number gives fallback.
int readTested(const QString& section, const QString& key, const QString& def, int fallback = 0)
{
    return util::ToWholeNumber(read(section, key, def)).value_or(fallback);
}

// Other numeric keys: a text that cannot be converted keeps the value the setting had.
void readDirect(int& target, const QString& section, const QString& key, const QString& def)
{
    if (const auto v = util::ToWholeNumber(read(section, key, def)))
        target = *v;
}

QString readPath(const QString& section, const QString& key, const QString& def)
{
    return util::ResolvePath(read(section, key, def));
}

void readUrlSection(Settings& s)
{
    const QString url = QStringLiteral("URL");
    readDirect(s.TimeOut, url, QStringLiteral("TimeOut"), QStringLiteral("10"));
    s.UserAgent = read(url, QStringLiteral("UserAgent"), QStringLiteral("Pelimond"));
    s.Proxy = readTested(url, QStringLiteral("Proxy"), QStringLiteral("0"));
    s.ProxyName = read(url, QStringLiteral("ProxyName"), QString());
    s.ProxyPort = readTested(url, QStringLiteral("ProxyPort"), QStringLiteral("0"), 8080);
    s.UseOtherBrowser = readTested(url, QStringLiteral("UseOtherBrowser"), QStringLiteral("0"));
    s.BrowserPath = read(url, QStringLiteral("BrowserPath"), QString());
    s.ReadSortType = readTested(url, QStringLiteral("ReadSortType"), QStringLiteral("0"));
    s.ReadMaxPages = readTested(url, QStringLiteral("ReadMaxPages"), QStringLiteral("0"));
    // 0, a negative number or a text means one page at a time; more than the most is the most.
    s.PrefetchCount =
        qBound(1, readTested(url, QStringLiteral("PrefetchCount"), QStringLiteral("4"), 1),
               kMaxPrefetchCount);
}

void readWindowSection(Settings& s)
{
    const QString w = QStringLiteral("Window");
    const QString unset = QStringLiteral("-999");
    const QString zero = QStringLiteral("0");
    readDirect(s.Left, w, QStringLiteral("Left"), unset);
    readDirect(s.Top, w, QStringLiteral("Top"), unset);
    readDirect(s.Height, w, QStringLiteral("Height"), unset);
    readDirect(s.Width, w, QStringLiteral("Width"), unset);
    readDirect(s.LastWinState, w, QStringLiteral("LastWinState"), zero);
    readDirect(s.SplitterLeft, w, QStringLiteral("SplitterLeft"), unset);
    readDirect(s.SortKey, w, QStringLiteral("SortKey"), zero);
    readDirect(s.SortOrder, w, QStringLiteral("SortOrder"), zero);
    readDirect(s.ChangeNormalIcon, w, QStringLiteral("ChangeNormalIcon"), zero);
    readDirect(s.ChangeNewIcon, w, QStringLiteral("ChangeNewIcon"), zero);
    readDirect(s.ChangePickUpIcon, w, QStringLiteral("ChangePickUpIcon"), zero);
    readDirect(s.ChangeReviewIcon, w, QStringLiteral("ChangeReviewIcon"), zero);
    readDirect(s.RecordListWidth, w, QStringLiteral("RecordListWidth"), zero);
    readDirect(s.SearchMax, w, QStringLiteral("SearchMax"), QStringLiteral("200"));
    readDirect(s.OpenBrowserDoubleClick, w, QStringLiteral("OpenBrowserDoubleClick"), zero);
    readDirect(s.OpenTabProperty, w, QStringLiteral("OpenTabProperty"), zero);
    const Settings defaults;
    for (int i = 0; i < 8; ++i) {
        readDirect(s.ListViewWidths[i], w, QStringLiteral("ListView") + QString::number(i + 1),
                   QString::number(defaults.ListViewWidths[i]));
    }
}

void readOtherSections(Settings& s)
{
    s.UserName = read(QStringLiteral("License"), QStringLiteral("UserName"), QString());
    s.Email = read(QStringLiteral("License"), QStringLiteral("Email"), QString());
    readDirect(s.Debug, QStringLiteral("System"), QStringLiteral("Debug"), QStringLiteral("0"));

    const QString dm = QStringLiteral("PLMDM");
    s.DownloadFolder = readPath(dm, QStringLiteral("Folder"), QStringLiteral(".\\DOWNLOAD"));
    readDirect(s.OpenAfterDownload, dm, QStringLiteral("OpenAfterDownload"), QStringLiteral("0"));
    readDirect(s.UsePLMDMPropertyWindow, dm, QStringLiteral("UsePLMDMPropertyWindow"),
               QStringLiteral("0"));
    readDirect(s.FirstBoot, dm, QStringLiteral("FirstBoot"), QStringLiteral("1"));

    const QString f = QStringLiteral("Font");
    s.TreeViewFont = read(f, QStringLiteral("TreeViewFont"), QStringLiteral("ＭＳ Ｐゴシック"));
    readDirect(s.TreeViewFontSize, f, QStringLiteral("TreeViewFontSize"), QStringLiteral("9"));
    s.ListViewFont = read(f, QStringLiteral("ListViewFont"), QStringLiteral("MS UI Gothic"));
    readDirect(s.ListViewFontSize, f, QStringLiteral("ListViewFontSize"), QStringLiteral("10"));
}

} // namespace

Settings& settings()
{
    static Settings s;
    return s;
}

void ResetSettings()
{
    settings() = Settings();
}

QString ProgramVersion()
{
    return QString::number(PELIMOND_VERSION_MAJOR) + u'.' +
           QString::number(PELIMOND_VERSION_MINOR) + u'.' + QString::number(PELIMOND_VERSION_PATCH);
}

QString ProgramVersionText()
{
    return QStringLiteral("Pelimond version ") + ProgramVersion();
}

bool LoadSettings()
{
    Settings& s = settings();
    if (!QFileInfo(programfolder::InProgramFolder(kSettingsFile)).isFile()) {
        msg::Show(QStringLiteral("定義ファイル (") + kSettingsFile +
                      QStringLiteral(") が見つかりません。\r\nデフォルト値を使用します。"),
                  kAppTitle, msg::Icon::Stop);
        WriteDefaultSettings();
    }
    s.CacheFolder = readPath(QStringLiteral("CACHE"), QStringLiteral("CACHEFOLDER"),
                             QStringLiteral(".\\Cache"));
    s.dbname = readPath(QStringLiteral("DataBase"), QStringLiteral("dbname"),
                        QStringLiteral(".\\Pelimond.mdb"));
    s.CompactBeforeEnd = readTested(QStringLiteral("DataBase"), QStringLiteral("CompactBeforeEnd"),
                                    QStringLiteral("0"));
    readUrlSection(s);
    readDirect(s.Update, QStringLiteral("CACHE"), QStringLiteral("Update"), QStringLiteral("3"));
    readDirect(s.DateBeforeUpdate, QStringLiteral("CACHE"), QStringLiteral("DateBeforeUpdate"),
               QStringLiteral("1"));
    readWindowSection(s);
    readOtherSections(s);

    LoadSoftTypes();
    AddNewArrivalCategories();
    LoadCategories();
    catalogue::UpgradeSchema();
    return true;
}

bool WriteDefaultSettings()
{
    const QString path = programfolder::InProgramFolder(kSettingsFile);
    IniFile ini;
    ini.load(path);
    auto set = [&ini](const char16_t* section, const QString& key, const QString& value) {
        ini.setValue(QStringView(section), key, value);
    };
    auto setN = [&set](const char16_t* section, const QString& key, int value) {
        set(section, key, QString::number(value));
    };
    set(u"URL", QStringLiteral("TimeOut"), QStringLiteral("5"));
    set(u"URL", QStringLiteral("UserAgent"), ProgramVersionText());
    set(u"URL", QStringLiteral("PROXY"), QStringLiteral("0"));
    set(u"URL", QStringLiteral("ProxyName"), QString());
    set(u"URL", QStringLiteral("ProxyPort"), QString());
    set(u"URL", QStringLiteral("UseOtherBrowser"), QStringLiteral("0"));
    set(u"URL", QStringLiteral("BrowserPath"), QString());
    set(u"CaChe", QStringLiteral("Update"), QStringLiteral("2"));
    set(u"CaChe", QStringLiteral("DateBeforeUpdate"), QStringLiteral("7"));
    set(u"CaChe", QStringLiteral("CacheFolder"), QStringLiteral(".\\CACHE"));
    set(u"Database", QStringLiteral("dbname"), QStringLiteral(".\\Pelimond.MDB"));
    set(u"Database", QStringLiteral("CompactBeforeEnd"), QStringLiteral("0"));
    const std::pair<const char*, int> window[] = {
        {"Top", -999},           {"Left", -999},          {"Width", -999},
        {"Height", -999},        {"LastWinState", 0},     {"SplitterLeft", 2750},
        {"SortKey", 4},          {"SortOrder", 1},        {"ChangeNewIcon", 0},
        {"ChangePickUpIcon", 1}, {"ChangeReviewIcon", 1}, {"RecordListWidth", 1}};
    for (const auto& [key, value] : window)
        setN(u"Window", QString::fromLatin1(key), value);
    // The version and type columns fit a dated version ("2004.05.01") and the longest type
    // names ("シェアウェア", "アップデート") in the list's font.
    const int widths[] = {360, 3165, 1300, 1140, 1230, 1400, 975, 8879, 0};
    for (int i = 0; i < 9; ++i)
        setN(u"Window", QStringLiteral("ListView") + QString::number(i + 1), widths[i]);
    setN(u"Window", QStringLiteral("SearchMax"), 100);
    setN(u"Window", QStringLiteral("OpenBrowserDoubleClick"), 1);
    setN(u"Window", QStringLiteral("OpenTabProperty"), 0);
    set(u"License", QStringLiteral("UserName"), QStringLiteral("Your Name"));
    set(u"License", QStringLiteral("Email"), QStringLiteral("Your Address"));
    set(u"Font", QStringLiteral("TreeViewFont"), QStringLiteral("ＭＳ Ｐゴシック"));
    setN(u"Font", QStringLiteral("TreeViewFontSize"), 9);
    set(u"Font", QStringLiteral("ListViewFont"), QStringLiteral("MS UI Gothic"));
    setN(u"Font", QStringLiteral("ListViewFontSize"), 10);
    const QStringList types = DefaultSoftTypeRows();
    for (int i = 0; i < types.size(); ++i)
        set(u"SoftType", QStringLiteral("SoftType") + QString::number(i + 1), types[i]);
    setN(u"Agent", QStringLiteral("AgentCount"), 16);
    set(u"Agent", QStringLiteral("0"), ProgramVersionText());
    for (int i = 0; i < 15; ++i)
        set(u"Agent", QString::number(i + 1), kAgentSamples[i]);
    set(u"PLMDM", QStringLiteral("Folder"), QStringLiteral(".\\DOWNLOAD"));
    setN(u"PLMDM", QStringLiteral("OpenAfterDownload"), 0);
    setN(u"PLMDM", QStringLiteral("UsePLMDMPropertyWindow"), 1);
    setN(u"PLMDM", QStringLiteral("FirstBoot"), 1);
    ini.save(path);
    return true;
}

} // namespace config
