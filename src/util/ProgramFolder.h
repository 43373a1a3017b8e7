#pragma once

#include <QString>

// The program folder: the folder of the executable, where every file of the program lives.
namespace programfolder {

// The folder of the executable, or the folder a test set with SetProgramFolder.
QString ProgramFolder();
// Tests (and the command-line companion's --folder option) point the program elsewhere.
void SetProgramFolder(const QString& folder);

// A Windows-shaped stored path ("a\b", ".\c") in the "/" form used on disk.
QString ToSlashes(QString path);

// The stored files rely on names matching without regard to case: when the exact path does not
// exist, each of its components below the program folder is looked up case-insensitively. A path
// that matches nothing is returned as given (so it can be created).
QString FindPath(const QString& path);

// program folder + "/" + name, looked up case-insensitively.
QString InProgramFolder(const QString& name);

} // namespace programfolder
