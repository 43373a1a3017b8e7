#include "talvex-sim/SiteDump.h"

#include "talvex-sim/SitePages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace talvexsim {

qsizetype DumpSite(const SitePages& pages, const QString& dir, bool withArchives, QString* error)
{
    qsizetype written = 0;
    QString failure;
    pages.forEachPage(
        [&](const QString& host, const QString& path) {
            if (!failure.isEmpty())
                return;
            QString file = dir;
            if (host != SitePages::webHost())
                file += u'/' + host;
            file += path.endsWith(u'/') ? path + u"index.html" : path;
            const Resource r = pages.get(host, path);
            QDir().mkpath(QFileInfo(file).absolutePath());
            QFile out(file);
            if (r.status != 200 || !out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                out.write(r.body) != r.body.size()) {
                failure = QStringLiteral("cannot write ") + file;
                return;
            }
            ++written;
        },
        withArchives);
    if (failure.isEmpty())
        return written;
    if (error)
        *error = failure;
    return -1;
}

} // namespace talvexsim
