#pragma once

#include "talvex-sim/SiteTypes.h"

#include <QString>

namespace talvexsim {

class Site;

namespace pages {

// How a hostile site writes a folder's pages where the model says otherwise (the server's list
// and category faults). The markup stays the site's own.
struct FolderPageFault
{
    enum class Pager {
        AsModel, // the list's pages as the model has them
        // Every page from the last on shows the last page's entries and names the page after
        // it as its next page: the list never ends. (Pages past the last exist.)
        Endless,
        // The last page names page loopTo (held to 1…last) as its next page.
        Loop,
    };
    Pager pager = Pager::AsModel;
    int loopTo = 1;
    // Sub-category links, on the first page after the folder's own, to folders that do not
    // exist (DeadLinkPath).
    int deadLinks = 0;
};

// The page of a folder: the category links (first page only), the "<!-- comment strap" line,
// and page `page` of its list in `order`, written in the folder's list layout. With a fault's
// Endless pager, `page` may lie past the last page. The Endless and Loop pagers change nothing
// for a folder without a list or with the classic layout (all on one page, no navigation).
QString FolderPage(const Site& site, int folder, ListOrder order, int page,
                   const FolderPageFault& fault = {});
// The path below the site root of the n-th (from 1) dead sub-category link of a folder: a folder
// below it that the site does not have.
QString DeadLinkPath(const Site& site, int folder, int n);
// Whether the pager of the fault changes the folder's list pages.
bool PagerApplies(const Site& site, int folder, const FolderPageFault& fault);

} // namespace pages
} // namespace talvexsim
