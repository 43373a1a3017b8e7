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

QString categoryBlock(const Site& site, const Folder& f)
{
    QString out = QStringLiteral("<TABLE class=\"category\">\n");
    for (qsizetype k = 0; k < f.children.size(); ++k) {
        const Folder& c = site.folder(f.children[k]);
        out += u"<TR><TD>";
        if (f.imageLinks)
            out += u"<A HREF=\"/" + c.path +
                   u"\"><IMG SRC=\"/images/folder.gif\" ALT=\"\" BORDER=0></A>";
        const bool byIndex = f.indexHtmlLinks && k % 2 == 0;
        const QString text =
            k % 2 == 0 ? u"<STRONG>" + Escape(c.name) + u"</STRONG>" : Escape(c.name);
        out += u"</TD><TD><A HREF=\"/" + c.path + (byIndex ? u"index.html" : u"") + u"\">" + text +
               u"</A>";
        if (c.hasList)
            out += QStringLiteral(" (%1)").arg(c.packages.size());
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

QString fileListPager(const Site& site, const Folder& f, ListOrder order, int page)
{
    const int count = site.pageCount(f.index);
    QString out = QStringLiteral("<div class=\"pagenavi\">");
    if (page > 1)
        out += u"<a href=\"" + Site::listPageName(order, page - 1) + u"\">&lt;前へ</a> ｜ ";
    QStringList numbers;
    for (int n = qMax(1, page - 5); n <= qMin(count, page + 5); ++n)
        numbers.append(
            n == page
                ? QStringLiteral("<strong>%1</strong>").arg(n)
                : QStringLiteral("<a href=\"%1\">%2</a>").arg(Site::listPageName(order, n)).arg(n));
    out += numbers.join(u' ');
    // A navigation block that ends with a link ("</a>", five characters, "</div>") announces
    // a further page.
    if (page < count)
        out += u" ｜ <a href=\"" + Site::listPageName(order, page + 1) + u"\">次へ</a> &gt;";
    return out + u"</div>\n<!-- /ページナビ -->\n";
}

QString liPager(const Site& site, const Folder& f, ListOrder order, int page)
{
    const int count = site.pageCount(f.index);
    const int size = site.pageSize(f.index);
    QString out = QStringLiteral("<div class=\"pager\">");
    if (page > 1)
        out += QStringLiteral("<a href=\"%1\">&lt;&lt;前の%2件</a> ")
                   .arg(Site::listPageName(order, page - 1))
                   .arg(size);
    if (page < count) {
        const int next = qMin<qsizetype>(size, f.packages.size() - qsizetype(page) * size);
        out += QStringLiteral("<a href=\"%1\">&gt;&gt;次の%2件</a>")
                   .arg(Site::listPageName(order, page + 1))
                   .arg(next);
    }
    return out + u"</div>\n";
}

QString listBlock(const Site& site, const Folder& f, ListOrder order, int page)
{
    const QList<ListRow> rows = site.listRows(f.index, order, page);
    const qsizetype total = f.packages.size();
    QString out;
    switch (f.layout) {
    case ListLayout::FileList: {
        const qsizetype first = qsizetype(page - 1) * site.pageSize(f.index);
        out += QStringLiteral("<div class=\"count\">全%1件中 %2～%3件目</div>\n")
                   .arg(total)
                   .arg(rows.isEmpty() ? 0 : first + 1)
                   .arg(first + rows.size());
        out += u"<ul  class=\"file_list\">\n";
        for (const ListRow& r : rows)
            out += fileListEntry(site, f, r);
        return out + u"</ul>\n" + fileListPager(site, f, order, page);
    }
    case ListLayout::LI:
        out += QStringLiteral("<div class=\"count\">全%1件</div>\n<UL class=\"gamelist\">\n")
                   .arg(total);
        for (const ListRow& r : rows)
            out += liEntry(site, r);
        return out + u"</UL>\n" + liPager(site, f, order, page);
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

QString FolderPage(const Site& site, int folder, ListOrder order, int page)
{
    const Folder& f = site.folder(folder);
    QString out = head(f.name);
    out.reserve(16 * 1024);
    out += breadcrumb(site, f);
    out += u"<H1>" + Escape(f.name) + u"</H1>\n";
    if (page == 1 && !f.children.isEmpty())
        out += categoryBlock(site, f);
    out += strapLine(site, f, page);
    if (f.hasList) {
        out += orderLine();
        out += listBlock(site, f, order, page);
    } else if (f.area == kAreaNewArrivals && f.parent >= 0) {
        out += u"<P>現在、新着ソフトはありません。</P>\n";
    }
    out += u"<div id=\"footer\">Copyright Talvex</div>\n</BODY>\n</HTML>\n";
    if (f.crlf)
        out.replace(u'\n', QStringLiteral("\r\n"));
    return out;
}

} // namespace talvexsim::pages
