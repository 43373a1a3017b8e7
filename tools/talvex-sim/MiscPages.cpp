#include "talvex-sim/MiscPages.h"

#include "talvex-sim/Site.h"
#include "talvex-sim/SiteText.h"

namespace talvexsim::pages {

namespace {

using sitetext::Escape;

QString simplePage(const QString& title, const QString& body)
{
    return u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n<html "
           u"lang=\"ja\">\n"
           u"<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\n"
           u"<title>" +
           Escape(title) + u"</title>\n</head>\n<body>\n<h1>" + Escape(title) + u"</h1>\n" + body +
           u"</body>\n</html>\n";
}

} // namespace

QString TopPage(const Site& site)
{
    QString body = QStringLiteral("<ul>\n");
    for (int area = 0; area < 3; ++area) {
        const Folder& f = site.folder(site.startFolder(area));
        body += u"<li><a href=\"/" + f.path + u"\">" + Escape(f.name) + u"</a></li>\n";
    }
    body += u"<li><a href=\"/info/sitemap.html\">サイトマップ</a></li>\n</ul>\n";
    return simplePage(QStringLiteral("Talvex ソフトウェアライブラリ"), body);
}

QString SiteMapPage(const Site& site)
{
    QString body = QStringLiteral("<ul>\n");
    for (const Folder& f : site.folders()) {
        if (f.depth <= 1)
            body += u"<li><a href=\"/" + f.path + u"\">" + Escape(f.name) + u"</a></li>\n";
    }
    return simplePage(QStringLiteral("サイトマップ"), body + u"</ul>\n");
}

QString AuthorPage(const Site& site, int author)
{
    const Author a = site.author(author);
    return simplePage(a.name + u" さんのページ",
                      u"<p>連絡先：<a href=\"mailto:" + a.mail + u"\">" + a.mail + u"</a></p>\n");
}

QString MemberDownloadListPage(const QString& entryNumber)
{
    return simplePage(QStringLiteral("ダウンロードリスト"),
                      u"<p>登録番号 " + Escape(entryNumber) +
                          u" をダウンロードリストに追加しました。</p>\n");
}

QString MemberMailFormPage()
{
    return simplePage(
        QStringLiteral("友だちに教える"),
        QStringLiteral("<form method=\"post\" action=\"/servlet/Service.MailTo.Send\">"
                       "<input type=\"submit\" value=\"送信\"></form>\n"));
}

QString PaymentPage(const QString& query)
{
    return simplePage(QStringLiteral("送金手続き"),
                      u"<p>お申し込み内容：" + Escape(query) + u"</p>\n");
}

QString ErrorPage(int status, const QString& reason)
{
    return simplePage(QString::number(status) + u' ' + reason,
                      QStringLiteral("<p>ページが見つかりません。</p>\n"));
}

} // namespace talvexsim::pages
