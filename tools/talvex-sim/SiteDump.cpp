#include "talvex-sim/SiteDump.h"

#include "talvex-sim/SitePages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace talvexsim {

namespace {

// An archive is written in pieces, so one of any size needs little memory.
bool writeArchive(QFile& out, const ArchiveBytes& archive)
{
    constexpr qint64 kPiece = qint64(1) << 20;
    for (qint64 at = 0; at < archive.size(); at += kPiece) {
        const QByteArray piece = archive.read(at, qMin(kPiece, archive.size() - at));
        if (out.write(piece) != piece.size())
            return false;
    }
    return true;
}

} // namespace

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
            QDir().mkpath(QFileInfo(file).absolutePath());
            QFile out(file);
            bool ok = false;
            if (const std::optional<ArchiveBytes> archive = pages.archiveAt(host, path)) {
                ok = out.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                     writeArchive(out, *archive);
            } else {
                const Resource r = pages.get(host, path);
                ok = r.status == 200 && out.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                     out.write(r.body) == r.body.size();
            }
            if (!ok) {
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
