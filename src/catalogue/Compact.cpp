#include "catalogue/Compact.h"

#include "catalogue/CatalogueLock.h"
#include "catalogue/Db.h"
#include "util/FileUtil.h"
#include "util/Trace.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace catalogue {

namespace {

// Error numbers of the trace line where the engine gives none.
constexpr int kFileNotFound = 53;
constexpr int kFileAccess = 75;

int errorNumber(const Db& db)
{
    const int native = db.lastError().nativeErrorCode().toInt();
    return native != 0 ? native : kFileAccess;
}

bool removeStale(const QString& temp)
{
    QFile::remove(temp + QStringLiteral("-journal"));
    return !QFileInfo::exists(temp) || QFile::remove(temp);
}

// The copy must be on disk before it is renamed over the catalogue.
bool syncFile(const QString& path)
{
#ifdef Q_OS_UNIX
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && ::fsync(file.handle()) == 0;
#else
    return QFileInfo(path).isFile();
#endif
}

// The copy opens as a catalogue and its pages are sound.
bool verify(const QString& temp)
{
    Db db;
    if (!OpenDb(db, temp))
        return false;
    Statement* check = db.select(QStringLiteral("PRAGMA quick_check"));
    if (!check)
        return false;
    const bool ok = check->next() && check->value(0).toString() == u"ok" && !check->next();
    check->finish();
    return ok;
}

// Writes the compacted copy of catalogue to temp; 0 when it is complete and sound.
int compactInto(const QString& catalogue, const QString& temp)
{
    if (!util::FileExists(catalogue))
        return kFileNotFound;
    if (!removeStale(temp))
        return kFileAccess;
    {
        Db db;
        if (!OpenDb(db, catalogue))
            return errorNumber(db);
        if (!db.execute(QStringLiteral("VACUUM INTO ?"), {temp}))
            return errorNumber(db);
    }
    return verify(temp) && syncFile(temp) ? 0 : kFileAccess;
}

int replaceWith(const QString& catalogue, const QString& temp)
{
    QFile::setPermissions(temp, QFile::permissions(catalogue));
    return util::RenameOver(temp, catalogue) ? 0 : kFileAccess;
}

} // namespace

QString CompactTempPath(const QString& catalogue)
{
    const qsizetype slash = std::max(catalogue.lastIndexOf(u'/'), catalogue.lastIndexOf(u'\\'));
    const QString name = catalogue.mid(slash + 1);
    const QString stem = name.contains(u'.') ? util::StripExtension(catalogue) : catalogue;
    const QString temp = stem + QStringLiteral(".TMP");
    // A catalogue that is itself named *.TMP must never be taken for its own leftover copy.
    if (temp.compare(catalogue, Qt::CaseInsensitive) == 0)
        return catalogue + QStringLiteral(".TMP");
    return temp;
}

CompactResult CompactCatalogue(const QString& catalogue, const std::function<void()>& repaint)
{
    const auto paint = [&repaint] {
        if (repaint)
            repaint();
    };
    if (!util::FileExists(catalogue)) {
        util::TraceIfDebug(QStringLiteral("最適化エラー(") + QString::number(kFileNotFound) + u')');
        return CompactResult::Failed;
    }
    // Another connection would go on with the file this one replaces.
    const ExclusiveCatalogue alone(catalogue);
    if (!alone.isLocked()) {
        util::TraceIfDebug(QStringLiteral("最適化エラー(カタログ使用中)"));
        return CompactResult::InUse;
    }
    const QString temp = CompactTempPath(catalogue);
    paint();
    int error = compactInto(catalogue, temp);
    paint();
    if (error == 0)
        error = replaceWith(catalogue, temp);
    if (error != 0) {
        if (QFileInfo(temp).isFile())
            QFile::remove(temp);
        util::TraceIfDebug(QStringLiteral("最適化エラー(") + QString::number(error) + u')');
    }
    paint();
    return error == 0 ? CompactResult::Compacted : CompactResult::Failed;
}

bool CompactDb(const QString& catalogue, const std::function<void()>& repaint)
{
    return CompactCatalogue(catalogue, repaint) == CompactResult::Compacted;
}

QString CatalogueInUseText()
{
    return QStringLiteral("カタログは他の処理 (更新など) で使用中のため、最適化できませんでした。"
                          "\r\n処理が終わってから、もう一度実行してください。");
}

} // namespace catalogue
