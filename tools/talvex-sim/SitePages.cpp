#include "talvex-sim/SitePages.h"

#include "config/Settings.h"
#include "talvex-sim/FolderPage.h"
#include "talvex-sim/MiscPages.h"
#include "talvex-sim/PackagePages.h"
#include "talvex-sim/Site.h"
#include "util/Text.h"

#include <QUrl>
#include <limits>

namespace talvexsim {

namespace {

const QByteArray kHtml = QByteArrayLiteral("text/html; charset=Shift_JIS");
const QByteArray kBinary = QByteArrayLiteral("application/octet-stream");

// The number in "<prefix>123456<suffix>" when the name has exactly that shape, else -1.
int numberIn(QStringView name, QStringView prefix, int digits, QStringView suffix)
{
    if (name.size() != prefix.size() + digits + suffix.size() || !name.startsWith(prefix) ||
        !name.endsWith(suffix))
        return -1;
    bool ok = false;
    const QStringView number = name.mid(prefix.size(), digits);
    for (QChar c : number) {
        if (!c.isDigit())
            return -1;
    }
    const int value = number.toInt(&ok);
    return ok ? value : -1;
}

QString rootPath(const QString& url)
{
    return url.mid(config::SiteRoot.size() - 1);
}

// The list page a file name of a folder names, if it is one that exists: up to the folder's
// last page, or to lastPage when that is given.
bool parseListPage(const Site& site, int folder, const QString& file, ListOrder* order, int* page,
                   int lastPage = 0)
{
    if (file.isEmpty()) {
        *order = ListOrder::Index;
        *page = 1;
        return true;
    }
    for (ListOrder o : kAllOrders) {
        const QString first = Site::listPageName(o, 1);
        const QString stem = first.chopped(5); // without ".html"
        if (!file.startsWith(stem))
            continue;
        int n = 1;
        if (file != first) {
            const QStringView rest = QStringView(file).mid(stem.size());
            if (!rest.startsWith(u'_') || !rest.endsWith(u".html"))
                return false;
            bool ok = false;
            n = rest.mid(1, rest.size() - 6).toInt(&ok);
            if (!ok || n < 2 || Site::listPageName(o, n) != file)
                return false;
        }
        if (n > (lastPage > 0 ? lastPage : site.pageCount(folder)))
            return false;
        *order = o;
        *page = n;
        return true;
    }
    return false;
}

Resource html(const QString& page)
{
    if (page.isNull())
        return {404, kHtml, text::EncodeCp932(pages::ErrorPage(404, QStringLiteral("Not Found")))};
    return {200, kHtml, text::EncodeCp932(page)};
}

} // namespace

SitePages::SitePages(std::shared_ptr<const Site> site) : m_site(std::move(site)) {}

QString SitePages::webHost()
{
    static const QString host = QUrl(config::SiteRoot).host();
    return host;
}

Resource SitePages::get(const QString& host, const QString& pathAndQuery) const
{
    return get(host, pathAndQuery, pages::FolderPageFault());
}

Resource SitePages::get(const QString& host, const QString& pathAndQuery,
                        const pages::FolderPageFault& fault) const
{
    const qsizetype q = pathAndQuery.indexOf(u'?');
    const QString path = q < 0 ? pathAndQuery : pathAndQuery.left(q);
    const QString query = q < 0 ? QString() : pathAndQuery.mid(q + 1);
    if (!path.startsWith(u'/'))
        return html(QString());
    if (host == webHost())
        return html(webPage(path, fault));
    if (host == config::DownloadHost) {
        const int p = archivePackage(path);
        if (p < 0)
            return html(QString());
        return {200, kBinary, pages::Archive(*m_site, p)};
    }
    if (host == config::MemberHost)
        return html(memberPage(path, query));
    if (host == config::PaymentHost)
        return html(paymentPage(path, query));
    return html(QString());
}

QString SitePages::hostForPath(QStringView path)
{
    if (path.startsWith(u"/servlet/"))
        return config::MemberHost;
    if (path.startsWith(u"/swreg/"))
        return config::PaymentHost;
    if (path.startsWith(u"/pub/"))
        return config::DownloadHost;
    return webHost();
}

QString SitePages::webPage(const QString& path, const pages::FolderPageFault& fault) const
{
    if (path == u"/")
        return pages::TopPage(*m_site);
    if (path == u"/info/sitemap.html")
        return pages::SiteMapPage(*m_site);
    if (path.startsWith(u"/person/")) {
        const int a = numberIn(QStringView(path).mid(8), u"p", 5, u"/");
        if (a < 0 || a >= m_site->authorCount() ||
            m_site->author(a).pageUrl != config::SiteRoot + path.mid(1))
            return {};
        return pages::AuthorPage(*m_site, a);
    }
    const QString page = packagePage(path);
    return page.isNull() ? folderPage(path, fault) : page;
}

QString SitePages::folderPage(const QString& path, const pages::FolderPageFault& fault) const
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const int folder = m_site->folderByPath(path.mid(1, slash));
    if (folder < 0)
        return {};
    const bool pager = pages::PagerApplies(*m_site, folder, fault);
    const bool endless = pager && fault.pager == pages::FolderPageFault::Pager::Endless;
    const bool loop = pager && fault.pager == pages::FolderPageFault::Pager::Loop;
    ListOrder order = ListOrder::Index;
    int page = 1;
    // The pages of an endless or looping list go on past the last; a page number that large
    // still names a page.
    if (!parseListPage(*m_site, folder, path.mid(slash + 1), &order, &page,
                       endless || loop ? std::numeric_limits<int>::max() - 1 : 0))
        return {};
    const int count = m_site->pageCount(folder);
    if (loop && page > count) {
        // Past the last page the list goes round: the page the last one names, and so on.
        const int first = qBound(1, fault.loopTo, count);
        page = first + (page - count - 1) % (count - first + 1);
    }
    return pages::FolderPage(*m_site, folder, order, page, fault);
}

QString SitePages::packagePage(const QString& path) const
{
    const QString file = path.section(u'/', -1);
    const QString url = config::SiteRoot + path.mid(1);
    const bool soft = path.startsWith(u"/soft/") || path.startsWith(u"/games/soft/");
    const int entry = numberIn(file, u"se", 6, u".html");
    if (soft && entry >= 0) {
        const int p = m_site->packageById(entry);
        if (p < 0)
            return {};
        const QString detail = m_site->package(p).url;
        if (url == detail)
            return pages::DetailPage(*m_site, p);
        if (url == Site::downloadPageUrl(detail))
            return pages::DownloadPage(*m_site, p);
        return {};
    }
    const int pickUp = numberIn(file, u"pu", 6, u".html");
    if (path.startsWith(u"/pickup/") && pickUp >= 0) {
        const int p = m_site->packageById(pickUp);
        if (p >= 0 && m_site->package(p).pickUpUrl == url)
            return pages::PickUpPage(*m_site, p);
    }
    const int news = numberIn(file, u"sn", 6, u".html");
    if (path.startsWith(u"/softnews/") && news >= 0) {
        const int p = m_site->packageById(news);
        if (p >= 0 && m_site->package(p).newsUrl == url)
            return pages::NewsPage(*m_site, p);
    }
    return {};
}

int SitePages::archivePackage(const QString& path) const
{
    const QString file = path.section(u'/', -1);
    const qsizetype dot = file.indexOf(u'.');
    const int id = dot == 8 ? numberIn(QStringView(file).left(8), u"tv", 6, u"") : -1;
    const int p = id < 0 ? -1 : m_site->packageById(id);
    if (p < 0 || m_site->package(p).archiveUrl != u"http://" + config::DownloadHost + path)
        return -1;
    return p;
}

std::optional<ArchiveBytes> SitePages::archiveAt(const QString& host,
                                                 const QString& pathAndQuery) const
{
    if (host != config::DownloadHost)
        return std::nullopt;
    const int p = archivePackage(pathAndQuery.section(u'?', 0, 0));
    if (p < 0)
        return std::nullopt;
    return ArchiveBytes(*m_site, p);
}

QString SitePages::memberPage(const QString& path, const QString& query) const
{
    const QString append = QStringLiteral("/servlet/System.FileDownload/append/html/0/");
    if (path == u"/servlet/Service.MailTo.Top")
        return pages::MemberMailFormPage(query);
    if (!path.startsWith(append) || !query.isEmpty())
        return {};
    const int id = numberIn(QStringView(path).mid(append.size()), u"", 6, u"/");
    const int p = id < 0 ? -1 : m_site->packageById(id);
    return p < 0 ? QString() : pages::MemberDownloadListPage(*m_site, p);
}

QString SitePages::paymentPage(const QString& path, const QString& query) const
{
    if (path != u"/swreg/step1.reserve" || pages::QueryValue(query, u"SITE") != u"T")
        return {};
    const int id = numberIn(pages::QueryValue(query, u"srno"), u"", 6, u"");
    const int p = id < 0 ? -1 : m_site->packageById(id);
    if (p < 0 || m_site->package(p).price <= 0)
        return {};
    return pages::PaymentPage(*m_site, p);
}

void SitePages::forEachPage(
    const std::function<void(const QString& host, const QString& path)>& visit,
    bool withArchives) const
{
    const QString web = webHost();
    visit(web, QStringLiteral("/"));
    visit(web, QStringLiteral("/info/sitemap.html"));
    for (const Folder& f : m_site->folders()) {
        for (ListOrder order : kAllOrders) {
            for (int page = 1; page <= m_site->pageCount(f.index); ++page)
                visit(web, u'/' + f.path + Site::listPageName(order, page));
        }
    }
    for (const Package& p : m_site->packages()) {
        visit(web, rootPath(p.url));
        visit(web, rootPath(Site::downloadPageUrl(p.url)));
        if (!p.pickUpUrl.isEmpty())
            visit(web, rootPath(p.pickUpUrl));
        if (!p.newsUrl.isEmpty())
            visit(web, rootPath(p.newsUrl));
    }
    for (int a = 0; a < m_site->authorCount(); ++a) {
        const QString page = m_site->author(a).pageUrl;
        if (!page.isEmpty())
            visit(web, rootPath(page));
    }
    if (!withArchives)
        return;
    for (const Package& p : m_site->packages())
        visit(config::DownloadHost, QUrl(p.archiveUrl).path());
}

} // namespace talvexsim
