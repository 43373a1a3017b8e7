#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

// The simulated library site as a model: what the generator put on its pages, in the form a
// correct reading of those pages gives back. Tests compare the analysers' findings with it.
namespace talvexsim {

inline constexpr int kAreaLibrary = 0;
inline constexpr int kAreaNewArrivals = 1;
inline constexpr int kAreaGames = 2;

// The list layouts of a folder's list pages, each recognised by its own page marker.
enum class ListLayout { FileList, LI, Classic };

// The orders a folder's list is offered in, numbered like the ReadSortType setting.
enum class ListOrder { Index = 0, ByDate = 1, ByName = 2 };

inline constexpr ListOrder kAllOrders[] = {ListOrder::Index, ListOrder::ByDate, ListOrder::ByName};

// One category page of the site (an area's start page or a folder below it).
struct Folder
{
    int index = -1;
    int area = kAreaLibrary;
    QString url;         // absolute, ends in "/"
    QString path;        // the url below the site root, e.g. "tpack/filearea/win/util/"
    QString name;        // the text of the links that name it, entities decoded
    int depth = 0;       // URLClass: levels below the area's folder root; 0 for a start page
    int parent = -1;     // -1 for an area's start page
    QList<int> children; // sub-categories, in the order of their links on the first page
    bool hasList = false;
    ListLayout layout = ListLayout::FileList;
    QList<int> packages; // the list in index (popularity) order

    // How the generator chose to write the folder's pages.
    bool crlf = false;           // lines end in CR LF (else LF)
    bool imageLinks = false;     // an image link to each sub-category precedes its text link
    bool indexHtmlLinks = false; // every other sub-category link names its "index.html"
    QList<int> strapLinks;       // folders linked after the "<!-- comment strap" marker
};

// Page-shape choices for one package, so tests can find every case the pages hold.
enum PackageTrait : quint32 {
    TraitGluedDescription = 1u << 0, // detail page: "<p>" right after the description marker
    TraitNoBytes = 1u << 1,          // download page prints neither size nor date
    TraitPriceOutside = 1u << 2,     // the detail page's only "円" lies outside the OS block
    TraitEscapedNote = 1u << 3,      // the long description holds "<注意>", escaped on the page
    TraitGluedEntry = 1u << 4,       // classic list: starts right after the previous "<HR size=1>"
    TraitAuthorTab = 1u << 5,        // a tab precedes the author's name
    TraitCrlfPages = 1u << 6,        // detail and download pages end their lines in CR LF
    TraitIntro = 1u << 7,            // the long description opens with <p class="intro">
    TraitNbspText = 1u << 8,         // spaces written as "&nbsp;" where the layout allows it
};

// One software package: its detail page, download page and archive.
struct Package
{
    int index = -1;
    int id = 0;    // the six-digit entry number in its page names ("se000123.html")
    int home = -1; // the folder whose list it belongs to
    int area = kAreaLibrary;
    QString url; // absolute address of the detail page
    QString name;
    QString version;     // may be empty
    QString description; // the short description of the lists
    int sizeKb = -1;     // the size printed in lists; -1 = not printed
    QDate openDate;      // publication date; invalid = not printed
    int typeCode = 0;    // software type code (0 free … 5 update, 99 unknown)
    bool isNew = false;
    QString pickUpUrl; // absolute or empty
    QString newsUrl;   // absolute or empty
    int price = 0;     // yen; 0 = none
    qint64 archiveBytes = 0;
    QString archiveUrl; // on the download host
    QDate registDate;   // the download page's date
    int author = 0;     // index into the author table (Site::author)
    int popularity = 0; // the index order sorts by it, highest first
    quint32 traits = 0;

    bool has(PackageTrait t) const { return (traits & t) != 0; }
};

// An author of packages; those with a page have one at SiteRoot + "person/pNNNNN/".
struct Author
{
    int index = 0;
    QString name;
    QString pageUrl; // empty when the author is reached by mail only
    QString mail;
};

// One entry of a list page as a correct list analysis reads it (the fields of SoftListEntry
// plus the entry's ranking on its page).
struct ListRow
{
    int package = -1;
    QString targetUrl;
    QString softName;
    QString version;
    int fileSize = -1; // KB; -1 unknown
    int fileType = 99;
    int newFlag = 0;
    QString pickUpUrl;
    QString newsUrl;
    QDate openDate; // invalid = unknown
    QString description;
    qint64 regiMoney = 0;
    int ranking = 0;
};

// The detail and download pages of a package as a correct detail analysis reads them.
struct Detail
{
    QString ftpUrl;
    QString category;
    QString descriptionDetail; // lines joined with CR LF
    QString paymentInfo;       // lines joined with CR LF
    QString osType;
    qint64 regiMoney = -1; // -1: no "円" on the page; 0: only outside the OS block
    QString author;
    QString authorUrl;
    qint64 fileSize2 = 0; // bytes; 0 when the download page prints no size
    QDate registDate;     // invalid when not printed
    QString paymentUrl;

    // What the pages are written from.
    QStringList descriptionLines;
    QStringList paymentLines;
};

} // namespace talvexsim
