#pragma once

#include <QString>

namespace talvexsim {

class SitePages;

// Writes every page of the web host below dir, at the page's path ("/download/index.html" as
// dir/download/index.html, the top page "/" as dir/index.html; a folder's bare address is the
// same page as its index.html and is not written again). With withArchives the archives go
// below dir/dl.talvex.example/ in the same way. Returns the number of files written, or -1
// (with the reason in *error) when a file cannot be written.
qsizetype DumpSite(const SitePages& pages, const QString& dir, bool withArchives,
                   QString* error = nullptr);

} // namespace talvexsim
