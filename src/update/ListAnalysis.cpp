#include "update/ListAnalysis.h"

#include "config/Settings.h"
#include "config/SoftTypes.h"
#include "update/AnalysisObserver.h"
#include "update/HtmlText.h"

#include <limits>

namespace update {

namespace {

// Page markers, entry boundaries and the marks inside entries, as the site prints them.
constexpr QStringView kFileListPage = u"<ul  class=\"file_list\">";
constexpr QStringView kFileListEntry = u"<A HREF=\"";
constexpr QStringView kFileListEnd = u"      </LI>";
constexpr QStringView kLiEntry = u"<LI>\n  <A HREF=\"";
constexpr QStringView kLiEnd = u"</FONT>\n  </LI>";
constexpr QStringView kClassicEntry = u"<IMG SRC=\"/images/soft";
constexpr QStringView kClassicEnd = u"<HR size=1>";

constexpr QStringView kHref = u"<A HREF=";
constexpr QStringView kHrefQuote = u"<A HREF=\"";
constexpr QStringView kTagEnd = u"\">";
constexpr QStringView kLinkEnd = u"</A>";
constexpr QStringView kNbsp = u"&nbsp;";
constexpr QStringView kStrong = u"<STRONG>";
constexpr QStringView kStrongEnd = u"</STRONG>";
constexpr QStringView kReview = u"《レビュー》";
constexpr QStringView kPublished = u"公開";
constexpr QStringView kFontSize = u"<FONT SIZE=";
constexpr QStringView kYen = u"円";

// The classic entry's icon name starts right after its marker and the "/" that follows it.
constexpr qsizetype kClassicIcon = 23;

struct Layout
{
    ListLayout layout;
    QStringView pageMarker;
    QStringView entryStart;
    QStringView entryEnd;
    bool (*parser)(QStringView, SoftListEntry*);
};

const Layout kLayouts[] = {
    {ListLayout::FileList, kFileListPage, kFileListEntry, kFileListEnd, AnalyzeSoftSubNew07},
    {ListLayout::LI, kLiEntry, kLiEntry, kLiEnd, AnalyzeSoftSubGames},
    {ListLayout::Classic, kClassicEntry, kClassicEntry, kClassicEnd, AnalyzeSoftSub},
};

const Layout* layoutOf(ListLayout layout)
{
    for (const Layout& l : kLayouts) {
        if (l.layout == layout)
            return &l;
    }
    return nullptr;
}

// A site path ("/soft/1.html" or "soft/1.html") as an absolute address.
QString siteUrl(QStringView path)
{
    if (path.startsWith(u'/'))
        path = path.sliced(1);
    return config::SiteRoot + path;
}

// The package address of the file_list and LI layouts: the first link of the entry, its
// leading "/" dropped. Sets tagEnd to the position of the link tag's closing quote.
bool readEntryLink(QStringView e, SoftListEntry* out, qsizetype* tagEnd)
{
    const qsizetype a = Find(e, kHrefQuote);
    const qsizetype b = a < 0 ? -1 : Find(e, kTagEnd, a + 9);
    if (b < 0)
        return false;
    const QString path = Between(e, a + 10, b);
    if (path.isEmpty())
        return false;
    out->TargetURL = config::SiteRoot + path;
    *tagEnd = b;
    return true;
}

// The type of the icon whose name starts at from; sets quote to the end of the name, or to 0
// when there is no name (later searches then start at the entry's beginning).
int readIcon(QStringView e, qsizetype from, config::IconLayout layout, qsizetype* quote)
{
    const qsizetype q = from < 0 ? -1 : Find(e, u"\"", from);
    *quote = q < 0 ? 0 : q;
    return q < 0 ? 99 : config::SoftTypeCodeOfIcon(Between(e, from, q), layout);
}

// The review link that ends two characters before the review mark, searched from from; its
// address starts linkOffset characters after "<A HREF=". Returns where the mark was found,
// or from when there is none.
qsizetype readReview(QStringView e, qsizetype from, qsizetype linkOffset, SoftListEntry* out)
{
    const qsizetype r = Find(e, kReview, from);
    if (r < 0)
        return from;
    const qsizetype end = r - 2;
    const qsizetype s = FindLastBefore(e, kHref, end);
    if (s >= 0) {
        const QString link = Between(e, s + linkOffset, end);
        if (!link.isEmpty()) {
            QString& target = link.contains(u"softnews") ? out->NewsURL : out->PickUpURL;
            target = siteUrl(link);
        }
    }
    return r;
}

// A printed size in kilobytes; an opening parenthesis before the number is not part of it.
std::optional<qint64> readSize(QStringView text)
{
    text = text.trimmed();
    if (text.startsWith(u'('))
        text = text.sliced(1);
    const std::optional<qint64> kb = ReadGroupedNumber(text);
    if (!kb || *kb > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return kb;
}

// A price printed with "." or "," between thousands; 0 when it is not a number.
qint64 readPrice(QStringView text)
{
    QString price = text.toString();
    price.replace(u'.', u',');
    return ReadGroupedNumber(price).value_or(0);
}

// The date printed as the eight characters "yy.mm.dd" before "公開", then the size printed
// after the next "&nbsp;" up to "K)" or "K&nbsp;". Both searches start at from.
void readDateAndSize(QStringView e, qsizetype from, SoftListEntry* out)
{
    const qsizetype k = Find(e, kPublished, from);
    if (k >= 0) {
        if (k >= 8)
            out->OpenDate = ReadDottedDate(e.sliced(k - 8, 8));
        from = k;
    }
    const qsizetype nbsp = Find(e, kNbsp, from);
    if (nbsp < 0)
        return;
    const qsizetype a = nbsp + kNbsp.size();
    qsizetype b = Find(e, u"K)", a);
    if (b < 0)
        b = Find(e, u"K&nbsp;", a);
    if (b >= 0)
        out->FileSize = readSize(Between(e, a, b));
}

} // namespace

ListLayout RecognizeListLayout(QStringView text, qsizetype* markerPos)
{
    for (const Layout& l : kLayouts) {
        const qsizetype pos = text.indexOf(l.pageMarker);
        if (pos >= 0) {
            if (markerPos)
                *markerPos = pos;
            return l.layout;
        }
    }
    if (markerPos)
        *markerPos = -1;
    return ListLayout::None;
}

namespace {

// The description from skip characters after the "<BR>" found from there up to endMarker;
// returns where the date and size search starts (the end marker, or where the text would be).
qsizetype readDescription(QStringView e, qsizetype there, qsizetype skip, QStringView endMarker,
                          SoftListEntry* out)
{
    const qsizetype br = Find(e, u"<BR>", there);
    if (br < 0)
        return there;
    const qsizetype a = br + skip;
    const qsizetype end = Find(e, endMarker, a);
    if (end < 0)
        return std::min(a, e.size());
    out->Description = TrimBlanks(DecodeEntities(Between(e, a, end)));
    return end;
}

} // namespace

bool AnalyzeSoftSubNew07(QStringView e, SoftListEntry* out)
{
    qsizetype b = -1;
    if (!readEntryLink(e, out, &b))
        return false;

    // The link text is the name, "&nbsp;" and the version.
    const qsizetype nameStart = b + 2;
    const qsizetype linkEnd = Find(e, kLinkEnd, nameStart);
    if (linkEnd >= 0) {
        const qsizetype nbsp = Find(e, kNbsp, nameStart);
        if (nbsp >= 0 && nbsp < linkEnd) {
            out->SoftName = DecodeEntities(Between(e, nameStart, nbsp));
            out->Version = TrimBlanks(DecodeEntities(Between(e, nbsp + kNbsp.size(), linkEnd)));
        } else {
            out->SoftName = DecodeEntities(Between(e, nameStart, linkEnd));
        }
    }

    qsizetype q = 0;
    out->FileType = readIcon(e, linkEnd < 0 ? -1 : linkEnd + 37, config::IconLayout::FileList, &q);
    const qsizetype newMark = Find(e, u"ico_new.gif", q);
    out->NewFlag = newMark >= 0 ? 1 : 0;
    const qsizetype there = readReview(e, newMark >= 0 ? newMark : q, 9, out);

    // The description runs from eight characters after "<BR>" to the next "&nbsp;".
    readDateAndSize(e, readDescription(e, there, 8, kNbsp, out), out);
    out->RegiMoney = 0;
    return true;
}

bool AnalyzeSoftSubGames(QStringView e, SoftListEntry* out)
{
    qsizetype b = -1;
    if (!readEntryLink(e, out, &b))
        return false;

    // The name is printed in <STRONG>, the version after it up to the end of the link.
    const qsizetype strong = Find(e, kStrong, b, Qt::CaseInsensitive);
    const qsizetype strongEnd = strong < 0 ? -1 : Find(e, kStrongEnd, strong, Qt::CaseInsensitive);
    const qsizetype versionStart = strongEnd >= 0 ? strongEnd + kStrongEnd.size() : b + 2;
    const qsizetype linkEnd = Find(e, kLinkEnd, versionStart, Qt::CaseInsensitive);
    if (strongEnd >= 0) {
        QString name = Between(e, strong, strongEnd);
        name.remove(kStrong.toString(), Qt::CaseInsensitive);
        out->SoftName = DecodeEntities(name);
        if (linkEnd >= 0) {
            QString version = Between(e, versionStart, linkEnd);
            version.remove(kStrongEnd.toString(), Qt::CaseInsensitive);
            version.remove(kNbsp.toString(), Qt::CaseInsensitive);
            out->Version = TrimBlanks(DecodeEntities(version));
        }
    }

    qsizetype q = 0;
    out->FileType = readIcon(e, linkEnd < 0 ? -1 : linkEnd + 36, config::IconLayout::LI, &q);
    const qsizetype newMark = Find(e, u"/images/mark/new_orange.gif", q);
    out->NewFlag = newMark >= 0 ? 1 : 0;
    const qsizetype there = readReview(e, newMark >= 0 ? newMark : q, 10, out);

    // The description runs from six characters after "<BR>" to the next "<FONT SIZE=".
    readDateAndSize(e, readDescription(e, there, 6, kFontSize, out), out);

    // The price is the number between the last "&nbsp;" and the last "円".
    out->RegiMoney = 0;
    const qsizetype yen = e.lastIndexOf(kYen);
    const qsizetype nbsp = yen < 0 ? -1 : FindLastBefore(e, kNbsp, yen);
    if (nbsp >= 0)
        out->RegiMoney = readPrice(Between(e, nbsp + kNbsp.size(), yen));
    return true;
}

namespace {

// The address of the button link whose image is at or after from: the link's "=" + quote
// and "/" are dropped. Returns the image's position, or -1.
qsizetype readButton(QStringView e, QStringView image, qsizetype from, QString* url)
{
    const qsizetype k = Find(e, image, from);
    if (k < 0)
        return -1;
    const qsizetype end = FindLastBefore(e, kTagEnd, k);
    const qsizetype eq = end < 0 ? -1 : FindLastBefore(e, u"=\"", end);
    const QString path = eq < 0 ? QString() : Between(e, eq + 3, end);
    if (!path.isEmpty())
        *url = config::SiteRoot + path;
    return k;
}

} // namespace

bool AnalyzeSoftSub(QStringView e, SoftListEntry* out)
{
    qsizetype q = 0;
    out->FileType = readIcon(e, kClassicIcon, config::IconLayout::Classic, &q);

    // The price is printed in full-width parentheses: "（1,050円）".
    out->RegiMoney = 0;
    const qsizetype yen = Find(e, kYen);
    const qsizetype paren = yen < 0 ? -1 : FindLastBefore(e, u"（", yen);
    if (paren >= 0)
        out->RegiMoney = readPrice(Between(e, paren + 1, yen));

    // Each mark is searched 24 characters after the position the previous one was found at.
    const qsizetype newMark = Find(e, u"/images/smallgif/new.gif", q);
    out->NewFlag = newMark >= 0 ? 1 : 0;
    const qsizetype pickUp =
        readButton(e, u"/images/button/pickup.gif", newMark >= 0 ? newMark + 24 : kClassicIcon,
                   &out->PickUpURL);
    readButton(e, u"/images/button/news.gif", pickUp >= 0 ? pickUp + 24 : kClassicIcon,
               &out->NewsURL);

    const qsizetype published = Find(e, u"公開日", q);
    if (published >= 0) {
        const qsizetype a = published + 4;
        const qsizetype b = Find(e, u"</FONT>", a);
        if (b >= 0)
            out->OpenDate = ReadDottedDate(Between(e, a, b));
    }

    // The name is printed in <STRONG> inside the package link.
    const qsizetype strong = Find(e, kStrong, q);
    if (strong < 0)
        return false;
    const qsizetype strongEnd = Find(e, kStrongEnd, strong);
    if (strongEnd >= 0) {
        QString name = Between(e, strong, strongEnd);
        name.remove(kStrong.toString());
        out->SoftName = DecodeEntities(name);
    }
    const qsizetype href = FindLastBefore(e, kHref, strong);
    if (href < 0)
        return false;
    QString path = Between(e, href, strong);
    path.remove(QStringLiteral("<A HREF=\"/"));
    path.remove(kTagEnd.toString());
    if (path.isEmpty())
        return false;
    out->TargetURL = config::SiteRoot + path;

    // The version follows the name up to the end of the link, the description follows the link.
    if (strongEnd < 0)
        return true;
    const qsizetype linkEnd = Find(e, kLinkEnd, strongEnd);
    if (linkEnd < 0)
        return true;
    QString version = Between(e, strongEnd, linkEnd);
    version.remove(kStrongEnd.toString());
    out->Version = TrimBlanks(DecodeEntities(version));
    const qsizetype descStart = linkEnd + 4;
    const qsizetype font = Find(e, kFontSize, descStart);
    if (font >= 0)
        out->Description = TrimBlanks(DecodeEntities(Between(e, descStart, font)));

    // The size is printed as "(812K)".
    const qsizetype open = Find(e, u"(", font >= 0 ? font : descStart);
    const qsizetype kb = open < 0 ? -1 : Find(e, u"K)", open + 1);
    if (kb >= 0)
        out->FileSize = readSize(Between(e, open + 1, kb));
    return true;
}

int NextListPage(ListLayout layout, QStringView text, qsizetype finalPos, int page,
                 int readMaxPages)
{
    bool more = false;
    if (layout == ListLayout::LI) {
        more = Find(text, u"&gt;&gt;次の", finalPos) >= 0;
    } else if (layout == ListLayout::FileList && finalPos >= 0 && finalPos <= text.size()) {
        // The navigation block ends with a link (four characters, then five, then "</div>")
        // only when a next page exists.
        const QStringView rest = text.sliced(finalPos);
        const qsizetype nav = rest.indexOf(u"<!-- /ページナビ -->");
        const qsizetype div = nav < 0 ? -1 : FindLastBefore(rest, u"</div>", nav);
        more = div >= 9 && rest.sliced(div - 9, 4) == u"</a>";
    }
    if (!more)
        return -1;
    const int next = page + 1;
    if (readMaxPages != 0 && next > readMaxPages)
        return -1;
    return next;
}

SoftListPage AnalyzeSoftList(QStringView pageText, const QString& folderUrl, int page,
                             int readMaxPages, AnalysisObserver* observer)
{
    SoftListPage result;
    const QString text = JoinLines(pageText);
    qsizetype pos = -1;
    result.layout = RecognizeListLayout(text, &pos);
    const Layout* layout = layoutOf(result.layout);
    if (!layout)
        return result;

    int ranking = 1;
    while (pos < text.size()) {
        const qsizetype start = Find(text, layout->entryStart, pos);
        const qsizetype end = start < 0 ? -1 : Find(text, layout->entryEnd, start);
        if (end < 0)
            break;
        if (observer)
            observer->percentAnalysed(int((pos + 1) * 100 / text.size()));
        SoftListEntry entry;
        entry.BaseURL = folderUrl;
        if (layout->parser(QStringView(text).sliced(start, end - start), &entry)) {
            entry.Ranking = ranking++;
            result.entries.append(entry);
        }
        // The next entry may start right after this one's end marker.
        pos = end + layout->entryEnd.size();
    }
    result.nextPage = NextListPage(result.layout, text, pos, page, readMaxPages);
    return result;
}

} // namespace update
