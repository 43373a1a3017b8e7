#include "download/PrepareDownload.h"

#include "catalogue/Catalogue.h"
#include "config/Settings.h"
#include "config/SoftTypes.h"
#include "download/LibInfo.h"
#include "util/FileUtil.h"
#include "util/Messages.h"
#include "util/ProgramFolder.h"
#include "util/Trace.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace download {

namespace {

QString& programOverride()
{
    static QString path;
    return path;
}

// Failures of the preparation are traced (when Debug is 1) and reported as false.
bool traceFailure(const QString& reason)
{
    util::TraceIfDebug(QStringLiteral("ダウンロード情報書き込みエラー(") + reason + u')');
    return false;
}

// The name of the software type whose code is the entry's FileType, else the code itself.
QString typeName(int fileType)
{
    const config::SoftTypeRecord* type = config::FindSoftType(fileType);
    return type ? type->Name : QString::number(fileType);
}

} // namespace

QString EntryFolderName(const QString& softName)
{
    QString name = softName;
    util::CleanFileName(name);
    const QString bare = name.trimmed();
    if (bare.isEmpty() || bare == u"." || bare == u"..")
        return {};
    return name;
}

QString DownloadProgram()
{
    if (!programOverride().isEmpty())
        return programOverride();
    return QCoreApplication::applicationDirPath() + QStringLiteral("/pelimond");
}

void SetDownloadProgramForTests(const QString& path)
{
    programOverride() = path;
}

QString PrepareEntryFolder(const QString& base, const QString& target)
{
    std::optional<catalogue::EntryRow> row;
    {
        catalogue::Db db;
        if (!catalogue::OpenCatalogue(db)) {
            traceFailure(QStringLiteral("catalogue"));
            return {};
        }
        row = catalogue::FindEntry(db, base, target);
        if (!row) {
            if (db.lastError().isValid())
                traceFailure(db.lastError().text());
            return {};
        }
    }
    const QString folderName = EntryFolderName(row->SoftName);
    if (folderName.isEmpty()) {
        msg::Show(QStringLiteral("ライブラリ名からダウンロード先のフォルダ名を作れないため、"
                                 "ダウンロードできません。\r\n\r\n") +
                      QStringLiteral("ライブラリ名: \"") + row->SoftName + u'"',
                  QStringLiteral("ダウンロードエラー"), msg::Icon::Stop);
        traceFailure(QStringLiteral("folder name"));
        return {};
    }
    // An absolute path: the download process takes its whole command line as the folder.
    const QString folder = QDir::cleanPath(
        QFileInfo(util::ResolvePath(config::settings().DownloadFolder)).absoluteFilePath() + u'/' +
        folderName);
    util::MakeFolders(folder);
    if (!QFileInfo(folder).isDir()) {
        traceFailure(folder);
        return {};
    }
    if (!WriteLibInfo(folder, *row, typeName(row->FileType))) {
        traceFailure(folder + u'/' + kLibInfoFile);
        return {};
    }
    return folder;
}

bool PrepareDownload(const QString& base, const QString& target)
{
    const QString folder = PrepareEntryFolder(base, target);
    if (folder.isEmpty())
        return false;
    QProcess process;
    process.setProgram(DownloadProgram());
    process.setArguments({folder});
    // The download outlives its caller: output to a terminal or pipe that goes with the caller
    // would end it (a write to a closed pipe kills the writer).
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    // A caller working on another program folder than the program's own (the command-line
    // companion's --folder) hands it on, so the download reads the same settings.
    if (QFileInfo(programfolder::ProgramFolder()) !=
        QFileInfo(QCoreApplication::applicationDirPath())) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(kProgramFolderVariable, programfolder::ProgramFolder());
        process.setProcessEnvironment(environment);
    }
    if (!process.startDetached())
        return traceFailure(DownloadProgram());
    return true;
}

} // namespace download
