#pragma once

#include <QString>
#include <array>

// The program-wide settings of "Pelimond.INI", loaded once by LoadSettings before any window
// exists. Later changes write single keys with WriteIni and update the value here as well.
namespace config {

inline const QString kSettingsFile = QStringLiteral("Pelimond.INI");
inline const QString kAppTitle = QStringLiteral("Pelimond");

inline constexpr int kMaxPrefetchCount = 8;

struct Settings
{
    // URL
    int TimeOut = 0;
    QString UserAgent;
    int Proxy = 0;
    QString ProxyName;
    int ProxyPort = 0;
    int UseOtherBrowser = 0;
    QString BrowserPath;
    int ReadSortType = 0;
    int ReadMaxPages = 0;
    int PrefetchCount = 1; // pages an update run has in flight at once, 1 to kMaxPrefetchCount
    // CACHE
    QString CacheFolder; // absolute, "/" separators
    int Update = 0;      // connection mode: 0 offline, 1 cache, 2 cache-date, 3 online
    int DateBeforeUpdate = 0;
    // DataBase
    QString dbname; // absolute path of the catalogue
    int CompactBeforeEnd = 0;
    // Window (twips)
    int Left = 0, Top = 0, Width = 0, Height = 0;
    int LastWinState = 0;
    int SplitterLeft = 0;
    int SortKey = 0;
    int SortOrder = 0;
    int ChangeNormalIcon = 0, ChangeNewIcon = 0, ChangePickUpIcon = 0, ChangeReviewIcon = 0;
    int RecordListWidth = 0;
    std::array<int, 8> ListViewWidths{360, 3165, 1300, 1140, 1230, 1400, 975, 8880};
    int SearchMax = 0;
    int OpenBrowserDoubleClick = 0;
    int OpenTabProperty = 0;
    // License
    QString UserName;
    QString Email;
    // System
    int Debug = 0;
    // PLMDM
    QString DownloadFolder; // key Folder; absolute
    int OpenAfterDownload = 0;
    int UsePLMDMPropertyWindow = 0;
    int FirstBoot = 0;
    // Font
    QString TreeViewFont;
    int TreeViewFontSize = 0;
    QString ListViewFont;
    int ListViewFontSize = 0;
};

// The process-wide settings.
Settings& settings();
// Tests start from a clean slate.
void ResetSettings();

// Fixed site constants, never stored in the file.
inline const QString SiteRoot = QStringLiteral("http://www.talvex.example/");
inline const QString DownloadHost = QStringLiteral("dl.talvex.example");
inline const QString MemberHost = QStringLiteral("member.talvex.example");
inline const QString PaymentHost = QStringLiteral("shop.talvex.example");
inline const std::array<QString, 3> AreaUrls{SiteRoot + QStringLiteral("download/"),
                                             SiteRoot + QStringLiteral("tpack/whats/"),
                                             SiteRoot + QStringLiteral("games/lib/win/game/")};
inline const std::array<QString, 3> AreaPaths{QStringLiteral("tpack/filearea/"),
                                              QStringLiteral("tpack/whats/"),
                                              QStringLiteral("games/lib/win/game/")};
// Marker after which a category page's links are not sub-categories.
inline const QString CommentStrap = QStringLiteral("<!-- comment strap");

// "Pelimond version major.minor.revision"
QString ProgramVersionText();
QString ProgramVersion(); // "major.minor.revision"

// Reads the settings file (writing a first-run file when it is missing), then the software types,
// the category definitions, and tries the catalogue's schema upgrade. Always true.
bool LoadSettings();
// Writes a complete first-run settings file. Always true.
bool WriteDefaultSettings();

} // namespace config
