#pragma once

#include <QString>

namespace talvexsim {

class Site;

namespace pages {

QString TopPage(const Site& site);
QString SiteMapPage(const Site& site);
QString AuthorPage(const Site& site, int author);
// The member service's answer to adding a package to the download list.
QString MemberDownloadListPage(const Site& site, int package);
// The member service's form that recommends a page to a friend, filled in with the decoded
// values of its query (TITLE, URL, EMAIL, NAME).
QString MemberMailFormPage(const QString& query);
// The payment service's first step for a package with a price.
QString PaymentPage(const Site& site, int package);
// The value of key in a query of "key=value" pairs joined by "&", decoded as a form sends it:
// "+" is a space, "%XX" a byte, the bytes code page 932. A null string when the key is missing.
QString QueryValue(const QString& query, QStringView key);
// The body of an error answer.
QString ErrorPage(int status, const QString& reason);
// The body of a redirection to location.
QString RedirectPage(const QString& location);

} // namespace pages
} // namespace talvexsim
