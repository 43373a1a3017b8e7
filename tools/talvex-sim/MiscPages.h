#pragma once

#include <QString>

namespace talvexsim {

class Site;

namespace pages {

QString TopPage(const Site& site);
QString SiteMapPage(const Site& site);
QString AuthorPage(const Site& site, int author);
// The member service's answer to adding an entry to the download list, and its mail form.
QString MemberDownloadListPage(const QString& entryNumber);
QString MemberMailFormPage();
// The payment service's first step.
QString PaymentPage(const QString& query);
// The body of an error answer.
QString ErrorPage(int status, const QString& reason);

} // namespace pages
} // namespace talvexsim
