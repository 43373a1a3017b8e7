#pragma once

#include "talvex-sim/SiteTypes.h"

#include <QString>

namespace talvexsim {

class Site;

namespace pages {

// The page of a folder: the category links (first page only), the "<!-- comment strap" line,
// and page `page` of its list in `order`, written in the folder's list layout.
QString FolderPage(const Site& site, int folder, ListOrder order, int page);

} // namespace pages
} // namespace talvexsim
