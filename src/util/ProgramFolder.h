#pragma once

#include <QString>

// The program folder, where every file of the program lives: the folder of the executable for a
// portable copy; for an installed copy the user's own folder, which the start-up chooses and
// fills (startup/UserFolder.h) and sets here.
namespace programfolder {

// The folder set with SetProgramFolder, otherwise the folder of the executable.
QString ProgramFolder();
// The start-up of an installed copy (its per-user folder), the command-line companion's --folder
// option, a download process (the folder of the process that started it) and tests point the
// program away from the executable's folder. An empty folder goes back to the executable's.
void SetProgramFolder(const QString& folder);

// A Windows-shaped stored path ("a\b", ".\c") in the "/" form used on disk.
QString ToSlashes(QString path);

// The stored files rely on names matching without regard to case: when the exact path does not
// exist, each of its components below the program folder is looked up case-insensitively. A path
// that matches nothing is returned as given (so it can be created).
QString FindPath(const QString& path);

// The entry of dir whose name equals name without regard to case (the exact name first), or ""
// when there is none.
QString FindEntry(const QString& dir, const QString& name);

// program folder + "/" + name, looked up case-insensitively.
QString InProgramFolder(const QString& name);

} // namespace programfolder
