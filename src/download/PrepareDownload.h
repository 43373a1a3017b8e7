#pragma once

#include <QString>

// The main process's half of the program's own download: the entry folder, its library
// information file, and the download process started on it.
namespace download {

// The folder name of an entry below the download folder: the software name made safe by
// CleanFileName. Empty when that gives no folder of its own (an empty name, blanks only, "."
// or ".."), which would put the download into the download folder itself or above it.
QString EntryFolderName(const QString& softName);

// Reads the entry (BaseURL, TargetURL) from the catalogue, makes its entry folder below the
// download folder and writes the library information file there. Returns the folder's
// absolute path, or "" without a message when the entry is not in the catalogue or a step
// failed (a trace line when Debug is 1); an entry whose name gives no folder of its own is told
// to the user. RunEntryDownload downloads into the folder in the calling process.
QString PrepareEntryFolder(const QString& base, const QString& target);

// PrepareEntryFolder, then the download process started on the folder: the program "pelimond"
// beside the running executable (also when the caller is the command-line companion) with the
// folder's absolute path as its one argument. Returns at once: the caller never waits for the
// download. True when all of it was done.
bool PrepareDownload(const QString& base, const QString& target);

// The program started for a download.
QString DownloadProgram();
// The environment variable that gives a download process the program folder of the process
// that started it, when that is not the program's own folder.
inline const QString kProgramFolderVariable = QStringLiteral("PELIMOND_PROGRAM_FOLDER");
// Tests start another copy of the program; an empty path restores the default.
void SetDownloadProgramForTests(const QString& path);

} // namespace download
