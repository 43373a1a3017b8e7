#pragma once

#include <QString>
#include <QStringView>
#include <array>

// Resource paths of the program's pictures, by the keys the windows use for them. The SVG files
// are drawn by scripts/make_icons.py and packed under ":/icons" and ":/animations".
namespace resources {

struct KeyedImage
{
    QStringView key;  // image-list key used by the windows
    QStringView path; // resource path of the SVG
};

// The folder tree's image list. The roots use one key for the closed and the selected state;
// folders of the new-arrivals area use the "…New" pair, every other folder "Close"/"Open".
inline constexpr std::array<KeyedImage, 9> TreeImages{{
    {u"Favorites", u":/icons/tree_favorites.svg"},   // gold star: the favourites root
    {u"Search", u":/icons/tree_search.svg"},         // magnifier: the last search result
    {u"NewArrival", u":/icons/tree_newarrival.svg"}, // green burst with N: new-arrivals root
    {u"TalvexRoot", u":/icons/tree_talvexroot.svg"}, // row of books: the library root
    {u"TalvexGames", u":/icons/tree_talvexgames.svg"}, // game pad: the games root
    {u"Close", u":/icons/folder_closed.svg"},        // yellow folder, closed
    {u"Open", u":/icons/folder_open.svg"},           // yellow folder, open
    {u"CloseNew", u":/icons/folder_closed_new.svg"}, // green folder with sparkle, closed
    {u"OpenNew", u":/icons/folder_open_new.svg"},    // green folder with sparkle, open
}};

// The toolbar's image list, left to right as the buttons stand.
inline constexpr std::array<KeyedImage, 12> ToolbarImages{{
    {u"Save", u":/icons/save.svg"},                 // floppy disk: save the entries as pages
    {u"Refresh", u":/icons/refresh.svg"},           // folder with a green cycle arrow
    {u"RefreshClass", u":/icons/refreshclass.svg"}, // folder hierarchy with a cycle arrow
    {u"Search", u":/icons/search.svg"},             // magnifier: search the library
    {u"Property", u":/icons/property.svg"},         // page with an info badge
    {u"Favorites", u":/icons/favorites.svg"},       // star with a green plus: add
    {u"DelFavorites", u":/icons/delfavorites.svg"}, // star with a red minus: remove
    {u"Contol", u":/icons/contol.svg"},             // gear: the settings dialog
    {u"NetOnly", u":/icons/netonly.svg"},           // globe: online mode
    {u"NetFile", u":/icons/netfile.svg"},           // globe and page: cache mode
    {u"NetTime", u":/icons/nettime.svg"},           // globe and clock: cache-date mode
    {u"FileOnly", u":/icons/fileonly.svg"},         // stacked pages only: offline mode
}};

// The list's column-header images; index 0 ascending, 1 descending.
inline constexpr std::array<KeyedImage, 2> SortImages{{
    {u"Asc", u":/icons/sort_asc.svg"},
    {u"Desc", u":/icons/sort_desc.svg"},
}};

// The list's small icons, by the 0-based number the icon-choice settings hold.
inline constexpr int ListIconCount = 14;
inline constexpr std::array<QStringView, ListIconCount> ListIcons{
    u":/icons/list_normal.svg",      // 0 software package
    u":/icons/list_pickup.svg",      // 1 package with a gold star
    u":/icons/list_new.svg",         // 2 package with a green burst
    u":/icons/list_news.svg",        // 3 package with a newspaper
    u":/icons/list_page.svg",        // 4 document page
    u":/icons/list_page_pickup.svg", // 5 page with a gold star
    u":/icons/list_page_new.svg",    // 6 page with a green burst
    u":/icons/list_page_news.svg",   // 7 page with a newspaper
    u":/icons/list_rosette.svg",     // 8 award rosette
    u":/icons/list_new_badge.svg",   // 9 green burst with an N
    u":/icons/list_newspaper.svg",   // 10 newspaper
    u":/icons/list_check.svg",       // 11 green tick
    u":/icons/list_heart.svg",       // 12 red heart
    u":/icons/list_bullet.svg",      // 13 small blue bullet
};

// The program's own icon (windows, about box, download window).
inline constexpr QStringView ProgramIconPath = u":/icons/pelimond.svg";

struct AnimationInfo
{
    QStringView name; // folder below ":/animations"
    int frames;       // frame_00.svg … frame_NN.svg
    int resource;     // the animation resource number it stands for; 0 when it has none
};

inline constexpr QStringView UpdateAnimation = u"update";     // update window
inline constexpr QStringView CompactAnimation = u"compact";   // compaction window
inline constexpr QStringView DownloadAnimation = u"download"; // download window
inline constexpr QStringView SearchAnimation = u"search";     // search window
inline constexpr QStringView ToolbarAnimation = u"busy";      // toolbar, while a category opens

inline constexpr std::array<AnimationInfo, 5> Animations{{
    {UpdateAnimation, 12, 0},
    {CompactAnimation, 12, 101},
    {SearchAnimation, 12, 102},
    {DownloadAnimation, 12, 103},
    {ToolbarAnimation, 8, 104},
}};

// ":/animations/<name>/frame_NN.svg" for a 0-based frame number.
inline QString AnimationFramePath(QStringView name, int frame)
{
    return QStringLiteral(":/animations/%1/frame_%2.svg")
        .arg(name)
        .arg(frame, 2, 10, QLatin1Char('0'));
}

} // namespace resources
