#include "talvex-sim/PackagePages.h"

#include "config/Settings.h"
#include "talvex-sim/ArchiveBytes.h"
#include "talvex-sim/Site.h"
#include "talvex-sim/SiteText.h"

namespace talvexsim::pages {

namespace {

using sitetext::Escape;

QString htmlHead(const QString& title, const QString& extraMeta = QString())
{
    return u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n"
           u"<html lang=\"ja\">\n<head>\n"
           u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\n" +
           extraMeta + u"<title>" + Escape(title) +
           u" - Talvex ライブラリ</title>\n</head>\n<body>\n" +
           u"<div id=\"header\"><a href=\"/\"><img src=\"/images/logo.gif\" alt=\"Talvex\" "
           u"border=\"0\"></a></div>\n";
}

QString htmlTail()
{
    return QStringLiteral("<div id=\"footer\">Copyright Talvex</div>\n</body>\n</html>\n");
}

QString rootPath(const QString& url)
{
    return url.mid(config::SiteRoot.size() - 1);
}

QString lineEnds(QString page, const Package& p)
{
    if (p.has(TraitCrlfPages))
        page.replace(u'\n', QStringLiteral("\r\n"));
    return page;
}

QString textHtml(const Package& p, const QString& text)
{
    return p.has(TraitNbspText) ? sitetext::EscapeNbsp(text) : Escape(text);
}

// "<!-- marker -->", then the paragraph. Normally one blank and a line break come between
// them; a glued page puts "<p>" right after the marker.
QString markedParagraph(const QString& marker, const QString& body, bool glued)
{
    return marker + (glued ? u"" : u" \n") + u"<p>" + body + u"</p>\n";
}

QString joinLines(const Package& p, const QStringList& lines)
{
    QStringList html;
    for (const QString& line : lines)
        html.append(textHtml(p, line));
    return html.join(QStringLiteral("<BR>\n"));
}

QString authorRow(const Site& site, const Package& p)
{
    const Author a = site.author(p.author);
    const QString href = a.pageUrl.isEmpty() ? u"mailto:" + a.mail : rootPath(a.pageUrl);
    return u"<tr><th>作者：</th><td><a href=\"" + href + u"\" title=\"作者情報\">" +
           (p.has(TraitAuthorTab) ? u"\t" : u"") + textHtml(p, a.name) + u"</a></td></tr>\n";
}

QString sizeCell(const Package& p, const Detail& d)
{
    if (p.has(TraitNoBytes))
        return QStringLiteral("<td>サイズ・登録日は未登録です</td>");
    const QString bytes =
        p.id % 3 == 0 ? QString::number(d.fileSize2) : sitetext::WithThousands(d.fileSize2);
    return u"<td>&nbsp;" + bytes + u" Bytes&nbsp;/&nbsp;" + sitetext::FourDigitDate(d.registDate) +
           u"</td>";
}

} // namespace

QString DetailPage(const Site& site, int package)
{
    const Package& p = site.package(package);
    const Detail d = site.detail(package);
    const QString title = p.version.isEmpty() ? p.name : p.name + u' ' + p.version;
    QString out = htmlHead(title, u"<META NAME=\"download\" CONTENT=\"" + p.archiveUrl + u"\">\n");
    out.reserve(8 * 1024);
    out += u"<p id=\"v_directory\"><a href=\"/" + site.folder(p.home).path + u"\">" + d.category +
           u"</a></p>\n";
    out +=
        u"<h1>" + Escape(p.name) + u" <span class=\"ver\">" + Escape(p.version) + u"</span></h1>\n";
    out += u"<p class=\"summary\">" + Escape(p.description) + u"</p>\n";
    const QString intro = p.has(TraitIntro) ? QStringLiteral("<p class=\"intro\">") : QString();
    out += markedParagraph(QStringLiteral("<!-- ソフト詳細説明 -->"),
                           intro + joinLines(p, d.descriptionLines), p.has(TraitGluedDescription));
    out += markedParagraph(QStringLiteral("<!-- 利用条件・試用期間中の制限など -->"),
                           joinLines(p, d.paymentLines), false);
    out += u"<!-- 動作環境 -->\n<table class=\"env\">\n<tr><th>動作OS：</th><td>" + d.osType +
           u"</td></tr>\n";
    if (p.price > 0)
        out +=
            u"<tr><th>価格：</th><td>" + sitetext::WithThousands(p.price) + u"円(税込)</td></tr>\n";
    out += authorRow(site, p);
    out += u"</table>\n<!-- /動作環境 -->\n";
    out += u"<p class=\"download\"><a href=\"" + rootPath(Site::downloadPageUrl(p.url)) +
           u"\">ダウンロードページへ</a></p>\n";
    return lineEnds(out + htmlTail(), p);
}

QString DownloadPage(const Site& site, int package)
{
    const Package& p = site.package(package);
    const Detail d = site.detail(package);
    const QString file = p.archiveUrl.section(u'/', -1);
    QString out = htmlHead(p.name + u" のダウンロード");
    out += u"<h1>" + Escape(p.name) + u" " + Escape(p.version) + u"</h1>\n";
    out += u"<table class=\"dl\">\n<tr><th>ファイル：</th><td><a href=\"" + p.archiveUrl + u"\">" +
           file + u"</a></td></tr>\n";
    out += u"<tr><th>サイズ／登録日：</th>" + sizeCell(p, d) + u"</tr>\n</table>\n";
    if (!d.paymentUrl.isEmpty())
        out += u"<p class=\"pay\"><a href=\"" + d.paymentUrl + u"\">送金手続きはこちら</a></p>\n";
    out += u"<p><a href=\"" + rootPath(p.url) + u"\">詳細ページへ戻る</a></p>\n";
    return lineEnds(out + htmlTail(), p);
}

QByteArray Archive(const Site& site, int package)
{
    const ArchiveBytes bytes(site, package);
    return bytes.read(0, bytes.size());
}

QString PickUpPage(const Site& site, int package)
{
    const Package& p = site.package(package);
    return htmlHead(u"ピックアップ：" + p.name) + u"<h1>ピックアップ</h1>\n<h2>" + Escape(p.name) +
           u"</h2>\n<p>" + Escape(p.description) + u"</p>\n<p><a href=\"" + rootPath(p.url) +
           u"\">ソフトの詳細</a></p>\n" + htmlTail();
}

QString NewsPage(const Site& site, int package)
{
    const Package& p = site.package(package);
    return htmlHead(u"ソフトニュース：" + p.name) + u"<h1>ソフトニュース</h1>\n<h2>" +
           Escape(p.name) + u" " + Escape(p.version) + u"</h2>\n<p>" + Escape(p.description) +
           u"</p>\n<p><a href=\"" + rootPath(p.url) + u"\">ソフトの詳細</a></p>\n" + htmlTail();
}

} // namespace talvexsim::pages
