#pragma once

#include <QByteArray>
#include <QString>

namespace talvexsim {

class Site;

namespace pages {

// The package's detail page (its TargetURL).
QString DetailPage(const Site& site, int package);
// The package's download page ("/soft/dl/…", "/games/soft/dl/…").
QString DownloadPage(const Site& site, int package);
// The archive on the download host: archiveBytes bytes, the same for the same site.
QByteArray Archive(const Site& site, int package);
// The pick-up (review) and news articles linked from the lists.
QString PickUpPage(const Site& site, int package);
QString NewsPage(const Site& site, int package);

} // namespace pages
} // namespace talvexsim
