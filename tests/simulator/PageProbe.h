#pragma once

#include "talvex-sim/SiteTypes.h"

#include <QList>
#include <QString>
#include <optional>

// An independent reading of the simulated site's pages by the markers and character offsets
// that the program's analysers rely on, so the tests can check that the generator writes pages
// of that shape. Where the literal offsets would misread a page the sound reading is taken
// (the next entry is searched after the whole end marker; only links before the
// "<!-- comment strap" marker are sub-categories).
namespace probe {

struct Link
{
    QString url;
    QString text;
};

// The page text as the analysers read it: lines (ending at CR or CR LF) joined with nothing
// between them; a lone LF stays.
QString Joined(const QString& page);
// The list layout by its page marker, tried in the analysers' order.
std::optional<talvexsim::ListLayout> LayoutOf(const QString& joined);
// The entries of a list page, cut at the layout's entry start and end markers.
QStringList Entries(const QString& joined, talvexsim::ListLayout layout, qsizetype* end = nullptr);
// The root path ("/soft/…") the entry's name links to.
QString TargetPath(const QString& entry, talvexsim::ListLayout layout);
// The type icon's file name found at the layout's fixed offset.
QString Icon(const QString& entry, talvexsim::ListLayout layout);
// The size in kilobytes printed after the date, or after where the description ends when there
// is no date; -1 when none is printed there.
int Size(const QString& entry, talvexsim::ListLayout layout);
// Whether the page announces a further page by the layout's next-page rule.
bool HasNextPage(const QString& joined, talvexsim::ListLayout layout, qsizetype end);
// The sub-category links of a category page.
QList<Link> CategoryLinks(const QString& page, const QString& folderUrl, const QString& rootPath);
// HTML entities decoded in one pass ("&amp;lt;" gives "&lt;"); "&nbsp;" gives a space.
QString Decode(const QString& html);

} // namespace probe
