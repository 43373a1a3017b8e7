#include "talvex-sim/MiscPages.h"

#include "talvex-sim/Site.h"
#include "talvex-sim/SiteText.h"
#include "util/Text.h"

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

QString MemberDownloadListPage(const Site& site, int package)
{
    const Package& p = site.package(package);
    return simplePage(QStringLiteral("ダウンロードリスト"),
                      u"<p>「<a href=\"" + p.url + u"\">" + Escape(p.name) +
                          u"</a>」をダウンロードリストに追加しました。</p>\n");
}

QString MemberMailFormPage(const QString& query)
{
    struct Field
    {
        const char16_t* key;
        const char16_t* label;
    };
    static constexpr Field fields[] = {{u"TITLE", u"件名"},
                                       {u"URL", u"紹介するページ"},
                                       {u"NAME", u"お名前"},
                                       {u"EMAIL", u"メールアドレス"}};
    QString body =
        QStringLiteral("<form method=\"post\" action=\"/servlet/Service.MailTo.Send\">\n<table>\n");
    for (const Field& f : fields) {
        const QString key = QString::fromUtf16(f.key);
        body += u"<tr><th>" + QString::fromUtf16(f.label) +
                u"</th><td><input type=\"text\" name=\"" + key + u"\" value=\"" +
                Escape(QueryValue(query, key)) + u"\"></td></tr>\n";
    }
    body += QStringLiteral("<tr><th>友だちのメールアドレス</th><td><input type=\"text\" "
                           "name=\"TO\" value=\"\"></td></tr>\n</table>\n"
                           "<input type=\"submit\" value=\"送信\"></form>\n");
    return simplePage(QStringLiteral("友だちに教える"), body);
}

QString PaymentPage(const Site& site, int package)
{
    const Package& p = site.package(package);
    return simplePage(QStringLiteral("送金手続き"), u"<p>お申し込み内容：" + Escape(p.name) + u" " +
                                                        sitetext::WithThousands(p.price) +
                                                        u"円(税込)</p>\n"
                                                        u"<p>作者：" +
                                                        Escape(site.detail(package).author) +
                                                        u"</p>\n");
}

QString QueryValue(const QString& query, QStringView key)
{
    for (const QString& pair : query.split(u'&')) {
        const qsizetype equals = pair.indexOf(u'=');
        if (equals < 0 || QStringView(pair).left(equals) != key)
            continue;
        QByteArray bytes = pair.mid(equals + 1).toLatin1();
        bytes.replace('+', ' ');
        return text::DecodeCp932(QByteArray::fromPercentEncoding(bytes));
    }
    return {};
}

QString ErrorPage(int status, const QString& reason)
{
    return simplePage(QString::number(status) + u' ' + reason,
                      QStringLiteral("<p>ページが見つかりません。</p>\n"));
}

QString RedirectPage(const QString& location)
{
    return simplePage(QStringLiteral("302 Found"), u"<p><a href=\"" + Escape(location) + u"\">" +
                                                       Escape(location) +
                                                       u"</a> に移動しました。</p>\n");
}

} // namespace talvexsim::pages
