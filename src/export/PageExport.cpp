#include "export/PageExport.h"

#include "catalogue/Catalogue.h"
#include "config/Settings.h"
#include "export/ExportHtml.h"
#include "util/ProgramFolder.h"
#include "util/Text.h"

#include <QDir>
#include <QFileInfo>

namespace exportpages {

namespace {

const QString kFolderSuffix = QStringLiteral("_files");
const QString kMenuFile = QStringLiteral("menu.html");
const QString kImageFolder = QStringLiteral("WEBIMAGE");

void AppendLines(QString& page, const QStringList& lines)
{
    for (const QString& line : lines) {
        page += line;
        page += text::kCrLf;
    }
}

void SetError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

// The list page: head, body, one table per entry that the catalogue still holds.
bool BuildMenuPage(const QList<mainwindow::EntryKey>& entries, QByteArray* out, QString* error)
{
    catalogue::Db db;
    if (!catalogue::OpenCatalogue(db)) {
        SetError(error, QStringLiteral("カタログを開けません: ") + config::settings().dbname);
        return false;
    }
    // One read transaction for all the rows (none is begun inside a run's own).
    const bool reading = db.beginTransaction();
    PageEncoder encoder;
    QString page;
    AppendLines(page, PageHeadLines());
    page += QStringLiteral("<body bgcolor=\"#ffffee\">") + text::kCrLf;
    QByteArray bytes = encoder.encode(page);
    for (const mainwindow::EntryKey& entry : entries) {
        const std::optional<catalogue::EntryRow> row =
            catalogue::FindEntry(db, entry.base, entry.target);
        if (!row)
            continue;
        page.clear();
        AppendLines(page, EntryTableLines(*row));
        bytes += encoder.encode(page);
    }
    if (reading)
        db.rollback();
    bytes += "</body></html>\r\n";
    *out = std::move(bytes);
    return true;
}

// Copies of the program's pictures: every "*.gif" of its WEBIMAGE folder, under the same names.
bool CopyImages(const QString& folder, QString* error)
{
    const QDir images(programfolder::InProgramFolder(kImageFolder));
    const QFileInfoList files =
        images.entryInfoList({QStringLiteral("*.gif")}, QDir::Files, QDir::Name);
    for (const QFileInfo& file : files) {
        QByteArray bytes;
        const QString target = folder + u'/' + file.fileName();
        if (!text::ReadFileBytes(file.absoluteFilePath(), &bytes) ||
            !text::WriteFileAtomic(target, bytes, text::Durability::NoSync)) {
            SetError(error, QStringLiteral("書き込めません: ") + target);
            return false;
        }
    }
    return true;
}

} // namespace

QString ExportFileName(const QString& chosen)
{
    const QString upper = chosen.toUpper();
    if (upper.endsWith(QStringLiteral("HTML")) || upper.endsWith(QStringLiteral("HTM")))
        return chosen;
    return chosen + QStringLiteral(".html");
}

QString SiteMapUrl()
{
    return config::SiteRoot + QStringLiteral("info/sitemap.html");
}

bool WriteExport(const QString& file, const QList<mainwindow::EntryKey>& entries, QString* error)
{
    const QFileInfo chosen(file);
    const QString baseName = chosen.completeBaseName();
    const QString folder = chosen.absolutePath() + u'/' + baseName + kFolderSuffix;

    QByteArray menu;
    if (!BuildMenuPage(entries, &menu, error))
        return false;
    QString frameset;
    AppendLines(frameset, FramesetLines(baseName));

    const bool folderIsNew = !QFileInfo(folder).isDir();
    if (!QDir().mkpath(folder)) {
        SetError(error, QStringLiteral("フォルダを作れません: ") + folder);
        return false;
    }
    const QString framesetPath = chosen.absoluteFilePath();
    bool written = CopyImages(folder, error);
    if (written &&
        !text::WriteFileAtomic(folder + u'/' + kMenuFile, menu, text::Durability::NoSync)) {
        SetError(error, QStringLiteral("書き込めません: ") + folder + u'/' + kMenuFile);
        written = false;
    }
    if (written &&
        !text::WriteFileAtomic(framesetPath, EncodePage(frameset), text::Durability::NoSync)) {
        SetError(error, QStringLiteral("書き込めません: ") + framesetPath);
        written = false;
    }
    if (!written && folderIsNew)
        QDir(folder).removeRecursively();
    return written;
}

} // namespace exportpages
