#pragma once

#include "talvex-sim/ArchiveBytes.h"
#include "talvex-sim/FolderPage.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace talvexsim {

class Site;

// One answer of the site: status, content type and body (pages in CP932).
struct Resource
{
    int status = 404;
    QByteArray contentType;
    QByteArray body;
};

// The site's address space: which host and path give which page. Pages are written on
// request from the model, so no request costs work in proportion to the site's size.
//
// Web host www.talvex.example:
//   /                                   top page
//   /info/sitemap.html                  site map
//   /download/  /tpack/whats/  /games/lib/win/game/      the areas' start pages
//   /<folder path>                      a folder's page (the same as its index.html)
//   /<folder path>index.html, by_date.html, by_name.html, index_002.html, by_date_012.html …
//   /soft/<folder below tpack/filearea/>se000123.html       detail page (library)
//   /soft/dl/<…>se000123.html                               download page
//   /games/soft/<genre path>se000123.html, /games/soft/dl/<…>   the same for games
//   /pickup/pu000123.html, /softnews/sn000123.html          the review and news articles
//   /person/p00012/                     an author's page
// Download host dl.talvex.example: /pub/<platform or "games">/tv000123.<ext>   archives
// Member host member.talvex.example: /servlet/System.FileDownload/append/html/0/<entry>/ (an
//   existing package's six-digit number) and /servlet/Service.MailTo.Top?TITLE=…&URL=…&EMAIL=…
//   &NAME=… (the form shows the decoded values)
// Payment host shop.talvex.example: /swreg/step1.reserve?srno=<entry>&SITE=T (a package with
//   a price)
class SitePages
{
public:
    explicit SitePages(std::shared_ptr<const Site> site);

    const Site& site() const { return *m_site; }
    const std::shared_ptr<const Site>& sharedSite() const { return m_site; }

    // The answer to a GET of pathAndQuery (beginning with "/") on host (lower case, no port).
    // An archive comes whole; the server streams it through archiveAt instead.
    Resource get(const QString& host, const QString& pathAndQuery) const;
    // The same as a hostile site writes it: a folder's pages with the fault's pager and dead
    // links (with the Endless pager, list pages past the last exist too); every other address
    // answers as without the fault.
    Resource get(const QString& host, const QString& pathAndQuery,
                 const pages::FolderPageFault& fault) const;
    // The archive the download host serves at path (its query ignored); nothing for any other
    // address.
    std::optional<ArchiveBytes> archiveAt(const QString& host, const QString& pathAndQuery) const;

    // Every page of the web host once (a folder's bare address is left out: it is the same
    // page as its index.html), and with withArchives every archive of the download host.
    void forEachPage(const std::function<void(const QString& host, const QString& path)>& visit,
                     bool withArchives = false) const;

    static QString webHost();
    // The host of the site that serves a path, for a request that names no host of the site
    // (a browser pointed at the server's own address): "/servlet/…" the member host, "/swreg/…"
    // the payment host, "/pub/…" the download host, any other path the web host.
    static QString hostForPath(QStringView path);

private:
    QString webPage(const QString& path, const pages::FolderPageFault& fault) const;
    QString folderPage(const QString& path, const pages::FolderPageFault& fault) const;
    QString packagePage(const QString& path) const;
    int archivePackage(const QString& path) const; // -1 when path names no archive
    QString memberPage(const QString& path, const QString& query) const;
    QString paymentPage(const QString& path, const QString& query) const;

    std::shared_ptr<const Site> m_site;
};

} // namespace talvexsim
