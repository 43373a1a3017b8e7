#include "talvex-sim/FolderPage.h"

#include "config/Settings.h"
#include "talvex-sim/Site.h"
#include "talvex-sim/SiteText.h"

namespace talvexsim::pages {

namespace {

using sitetext::Escape;

// Links on the site are written from its root ("/soft/…"), never as full addresses.
QString rootPath(const QString& url)
{
    return url.mid(config::SiteRoot.size() - 1);
}

QString textHtml(const Package& p, const QString& text)
{
    return p.has(TraitNbspText) ? sitetext::EscapeNbsp(text) : Escape(text);
}

QString head(const QString& title)
{
    return u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n"
           u"<HTML>\n<HEAD>\n"
           u"<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">\n"
           u"<TITLE>" +
           Escape(title) +
           u" - Talvex ライブラリ</TITLE>\n</HEAD>\n<BODY BGCOLOR=\"#FFFFFF\">\n"
           u"<div id=\"header\"><a href=\"/\"><img src=\"/images/logo.gif\" alt=\"Talvex\" "
           u"border=\"0\"></a></div>\n";
}

QString folderLink(const Folder& f, const QString& file = QString())
{
    return u"<A HREF=\"/" + f.path + file + u"\">" + Escape(f.name) + u"</A>";
}

// Links to the ancestors, which the category analysis skips as no longer than the folder's
// address, and a link to the page itself by its "index.html".
QString breadcrumb(const Site& site, const Folder& f)
{
    QStringList chain;
    for (int a = f.parent; a >= 0; a = site.folder(a).parent)
        chain.prepend(folderLink(site.folder(a)));
    chain.prepend(QStringLiteral("<A HREF=\"/\">トップ</A>"));
    chain.append(folderLink(f, QStringLiteral("index.html")));
    return u"<div class=\"path\">" + chain.join(QStringLiteral(" &gt; ")) + u"</div>\n";
}

QString categoryRow(const Folder& f, const QString& path, const QString& name, bool strong,
                    bool byIndex)
{
    QString out = QStringLiteral("<TR><TD>");
    if (f.imageLinks)
        out += u"<A HREF=\"/" + path + u"\"><IMG SRC=\"/images/folder.gif\" ALT=\"\" BORDER=0></A>";
    const QString text = strong ? u"<STRONG>" + Escape(name) + u"</STRONG>" : Escape(name);
    return out + u"</TD><TD><A HREF=\"/" + path + (byIndex ? u"index.html" : u"") + u"\">" + text +
           u"</A>";
}

QString categoryBlock(const Site& site, const Folder& f, int deadLinks)
{
    QString out = QStringLiteral("<TABLE class=\"category\">\n");
    for (qsizetype k = 0; k < f.children.size(); ++k) {
        const Folder& c = site.folder(f.children[k]);
        out += categoryRow(f, c.path, c.name, k % 2 == 0, f.indexHtmlLinks && k % 2 == 0);
        if (c.hasList)
            out += QStringLiteral(" (%1)").arg(c.packages.size());
        out += u"</TD></TR>\n";
    }
    // Links the site keeps to folders it no longer has, written like the others.
    for (int n = 1; n <= deadLinks; ++n) {
        const qsizetype k = f.children.size() + n - 1;
        out += categoryRow(f, DeadLinkPath(site, f.index, n),
                           QStringLiteral("閉鎖されたカテゴリ%1").arg(n), k % 2 == 0,
                           f.indexHtmlLinks && k % 2 == 0);
        out += u"</TD></TR>\n";
    }
    return out + u"</TABLE>\n";
}

// Everything after the marker on its line is outside the sub-category list.
QString strapLine(const Site& site, const Folder& f, int page)
{
    QString out = config::CommentStrap + u" -->";
    if (page == 1 && !f.strapLinks.isEmpty()) {
        QStringList links;
        for (int s : f.strapLinks)
            links.append(folderLink(site.folder(s)));
        out += u"関連カテゴリ：" + links.join(QStringLiteral(" ｜ "));
    }
    return out + u'\n';
}

QString orderLine()
{
    return QStringLiteral("<div class=\"order\">並び順：<a href=\"index.html\">人気順</a> ｜ "
                          "<a href=\"by_date.html\">新着順</a> ｜ "
                          "<a href=\"by_name.html\">名前順</a></div>\n");
}

QString reviewLink(const ListRow& r)
{
    const QString url = r.pickUpUrl.isEmpty() ? r.newsUrl : r.pickUpUrl;
    if (url.isEmpty())
        return {};
    return u" <A HREF=\"" + rootPath(url) + u"\">《レビュー》</A>";
}

QString fileListEntry(const Site& site, const Folder& f, const ListRow& r)
{
    const Package& p = site.package(r.package);
    QString out = u"    <LI>\n      <A HREF=\"" + rootPath(p.url) + u"\">" + Escape(p.name);
    if (!p.version.isEmpty())
        out += u"&nbsp;" + Escape(p.version);
    // The type icon's name begins 37 characters after the "</A>" of the name link, counted
    // in the text that results when the page's lines are joined without their CR LF.
    out += u"</A>\n" + QString(f.crlf ? 9 : 8, u' ') + u"<IMG SRC=\"/images/icons/" +
           sitetext::TypeIcon(p.typeCode, ListLayout::FileList) + u"\" ALT=\"" +
           sitetext::TypeName(p.typeCode) + u"\">";
    if (p.isNew)
        out += u" <IMG SRC=\"/images/icons/ico_new.gif\" ALT=\"NEW\">";
    out += reviewLink(r) + u"<BR>\n        " + Escape(p.description) + u"&nbsp;(";
    QStringList parts;
    if (p.openDate.isValid())
        parts.append(sitetext::TwoDigitDate(p.openDate) + u"公開");
    if (p.sizeKb >= 0)
        parts.append(QString::number(p.sizeKb) + u'K');
    if (p.typeCode == 1 && p.sizeKb >= 0)
        parts.append(QStringLiteral("シェア"));
    out += (parts.isEmpty() ? QStringLiteral("-") : parts.join(QStringLiteral("&nbsp;")));
    return out + u")\n      </LI>\n";
}

QString liEntry(const Site& site, const ListRow& r)
{
    const Package& p = site.package(r.package);
    QString out = u"<LI>\n  <A HREF=\"" + rootPath(p.url) + u"\"><STRONG>" + textHtml(p, p.name) +
                  u"</STRONG>";
    if (!p.version.isEmpty())
        out += u"&nbsp;" + Escape(p.version);
    // The icon's name begins 36 characters after "</A>".
    out += u"</A>\n  <IMG SRC=\"/images/game_icons/" +
           sitetext::TypeIcon(p.typeCode, ListLayout::LI) + u"\" ALT=\"" +
           sitetext::TypeName(p.typeCode) + u"\">";
    if (p.isNew)
        out += u" <IMG SRC=\"/images/mark/new_orange.gif\" ALT=\"NEW\">";
    // The size is read after the "&nbsp;" that follows the date, or, with no date, the first
    // "&nbsp;" after "<FONT SIZE=": an undated entry opens its parentheses with one.
    out += reviewLink(r) + u"<BR>\n    " + textHtml(p, p.description) + u" <FONT SIZE=\"-1\">";
    QStringList parts;
    if (p.openDate.isValid())
        parts.append(sitetext::TwoDigitDate(p.openDate) + u"公開");
    else
        out += u"&nbsp;";
    out += u'(';
    if (p.sizeKb >= 0)
        parts.append(QString::number(p.sizeKb) + u'K');
    if (p.price > 0)
        parts.append(u"価格&nbsp;" + sitetext::WithThousands(p.price) + u"円");
    out += (parts.isEmpty() ? QStringLiteral("-") : parts.join(QStringLiteral("&nbsp;")));
    return out + u")</FONT>\n  </LI>\n";
}

QString classicEntry(const Site& site, const ListRow& r)
{
    const Package& p = site.package(r.package);
    // The icon's name begins at the 24th character of the entry.
    QString out = u"<IMG SRC=\"/images/soft/" +
                  sitetext::TypeIcon(p.typeCode, ListLayout::Classic) + u"\" ALT=\"" +
                  sitetext::TypeName(p.typeCode) + u"\" WIDTH=16 HEIGHT=16>";
    if (p.price > 0)
        out += u"（" + sitetext::WithThousands(p.price) + u"円）";
    if (p.isNew)
        out += u" <IMG SRC=\"/images/smallgif/new.gif\" ALT=\"NEW\">";
    if (!r.pickUpUrl.isEmpty())
        out += u" <A HREF=\"" + rootPath(r.pickUpUrl) +
               u"\"><IMG SRC=\"/images/button/pickup.gif\" ALT=\"ピックアップ\" BORDER=0></A>";
    if (!r.newsUrl.isEmpty())
        out += u" <A HREF=\"" + rootPath(r.newsUrl) +
               u"\"><IMG SRC=\"/images/button/news.gif\" ALT=\"ニュース\" BORDER=0></A>";
    out +=
        u"<BR>\n<A HREF=\"" + rootPath(p.url) + u"\"><STRONG>" + textHtml(p, p.name) + u"</STRONG>";
    if (!p.version.isEmpty())
        out += u' ' + Escape(p.version);
    out += u"</A> " + textHtml(p, p.description) + u" <FONT SIZE=\"-1\">";
    out += p.openDate.isValid() ? u"公開日：" + sitetext::FourDigitDate(p.openDate)
                                : QStringLiteral("[日付不明]");
    out += u"</FONT>";
    if (p.sizeKb >= 0)
        out += QStringLiteral(" (%1K)").arg(p.sizeKb);
    return out + u"\n<HR size=1>";
}

// A list page's navigation: the page it shows, the highest page number it lists, the page its
// next-page link names (0: none) and how many entries that page has.
struct Pager
{
    int page = 1;
    int last = 1;
    int next = 0;
    qsizetype nextRows = 0;
};

Pager pagerOf(const Site& site, const Folder& f, ListOrder order, int page,
              const FolderPageFault& fault)
{
    const int count = site.pageCount(f.index);
    Pager p{page, count, page < count ? page + 1 : 0, 0};
    if (PagerApplies(site, f.index, fault)) {
        if (fault.pager == FolderPageFault::Pager::Endless && page >= count) {
            p.last = page + 1;
            p.next = page + 1;
        } else if (fault.pager == FolderPageFault::Pager::Loop && page == count) {
            p.next = qBound(1, fault.loopTo, count);
        }
    }
    if (p.next > 0)
        p.nextRows = site.pagePackages(f.index, order, qMin(p.next, count)).size();
    return p;
}

QString fileListPager(ListOrder order, const Pager& p)
{
    QString out = QStringLiteral("<div class=\"pagenavi\">");
    if (p.page > 1)
        out += u"<a href=\"" + Site::listPageName(order, p.page - 1) + u"\">&lt;前へ</a> ｜ ";
    QStringList numbers;
    for (int n = qMax(1, p.page - 5); n <= qMin(p.last, p.page + 5); ++n)
        numbers.append(
            n == p.page
                ? QStringLiteral("<strong>%1</strong>").arg(n)
                : QStringLiteral("<a href=\"%1\">%2</a>").arg(Site::listPageName(order, n)).arg(n));
    out += numbers.join(u' ');
    // A navigation block that ends with a link ("</a>", five characters, "</div>") announces
    // a further page.
    if (p.next > 0)
        out += u" ｜ <a href=\"" + Site::listPageName(order, p.next) + u"\">次へ</a> &gt;";
    return out + u"</div>\n<!-- /ページナビ -->\n";
}

QString liPager(const Site& site, const Folder& f, ListOrder order, const Pager& p)
{
    const int size = site.pageSize(f.index);
    QString out = QStringLiteral("<div class=\"pager\">");
    if (p.page > 1)
        out += QStringLiteral("<a href=\"%1\">&lt;&lt;前の%2件</a> ")
                   .arg(Site::listPageName(order, p.page - 1))
                   .arg(size);
    if (p.next > 0)
        out += QStringLiteral("<a href=\"%1\">&gt;&gt;次の%2件</a>")
                   .arg(Site::listPageName(order, p.next))
                   .arg(p.nextRows);
    return out + u"</div>\n";
}

// The list of a page: the entries of list page rowsPage under the navigation of the pager.
QString listBlock(const Site& site, const Folder& f, ListOrder order, int rowsPage,
                  const Pager& pager)
{
    const QList<ListRow> rows = site.listRows(f.index, order, rowsPage);
    const qsizetype total = f.packages.size();
    QString out;
    switch (f.layout) {
    case ListLayout::FileList: {
        const qsizetype first = qsizetype(rowsPage - 1) * site.pageSize(f.index);
        out += QStringLiteral("<div class=\"count\">全%1件中 %2～%3件目</div>\n")
                   .arg(total)
                   .arg(rows.isEmpty() ? 0 : first + 1)
                   .arg(first + rows.size());
        out += u"<ul  class=\"file_list\">\n";
        for (const ListRow& r : rows)
            out += fileListEntry(site, f, r);
        return out + u"</ul>\n" + fileListPager(order, pager);
    }
    case ListLayout::LI:
        out += QStringLiteral("<div class=\"count\">全%1件</div>\n<UL class=\"gamelist\">\n")
                   .arg(total);
        for (const ListRow& r : rows)
            out += liEntry(site, r);
        return out + u"</UL>\n" + liPager(site, f, order, pager);
    case ListLayout::Classic:
        break;
    }
    out += QStringLiteral("<div class=\"count\">全%1件</div>\n").arg(total);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        // A glued entry starts right after the previous entry's "<HR size=1>".
        if (i > 0 && !site.package(rows[i].package).has(TraitGluedEntry))
            out += u'\n';
        out += classicEntry(site, rows[i]);
    }
    return out + u'\n';
}

} // namespace

QString FolderPage(const Site& site, int folder, ListOrder order, int page,
                   const FolderPageFault& fault)
{
    const Folder& f = site.folder(folder);
    const int deadLinks = page == 1 ? fault.deadLinks : 0;
    QString out = head(f.name);
    out.reserve(16 * 1024);
    out += breadcrumb(site, f);
    out += u"<H1>" + Escape(f.name) + u"</H1>\n";
    if (page == 1 && (!f.children.isEmpty() || deadLinks > 0))
        out += categoryBlock(site, f, deadLinks);
    out += strapLine(site, f, page);
    if (f.hasList) {
        out += orderLine();
        out += listBlock(site, f, order, qMin(page, site.pageCount(folder)),
                         pagerOf(site, f, order, page, fault));
    } else if (f.area == kAreaNewArrivals && f.parent >= 0) {
        out += u"<P>現在、新着ソフトはありません。</P>\n";
    }
    out += u"<div id=\"footer\">Copyright Talvex</div>\n</BODY>\n</HTML>\n";
    if (f.crlf)
        out.replace(u'\n', QStringLiteral("\r\n"));
    return out;
}

QString DeadLinkPath(const Site& site, int folder, int n)
{
    const Folder& f = site.folder(folder);
    QString path = f.path + QStringLiteral("closed%1/").arg(n, 2, 10, QChar(u'0'));
    while (site.folderByPath(path) >= 0)
        path.insert(path.size() - 1, u'x');
    return path;
}

bool PagerApplies(const Site& site, int folder, const FolderPageFault& fault)
{
    const Folder& f = site.folder(folder);
    return fault.pager != FolderPageFault::Pager::AsModel && f.hasList &&
           f.layout != ListLayout::Classic && !f.packages.isEmpty();
}

} // namespace talvexsim::pages
