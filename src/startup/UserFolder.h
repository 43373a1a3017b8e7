#pragma once

#include <QString>
#include <QStringList>

// The per-user program folder of an installed copy.
//
// A portable copy keeps everything in the folder of its executable. An installed copy cannot:
// its folder belongs to the system (it is not writable, or the package marks it as shared), so
// each user gets a program folder of their own, $XDG_DATA_HOME/Pelimond, which the program fills
// with the delivered files of the installed folder on its first start there.
namespace startup {

// The file by which a package marks its installed folder as shared by all users: with it, even a
// user who could write there (root) gets a program folder of their own.
inline const QString kSharedFolderMarker = QStringLiteral("Pelimond.installed");

// What an installed folder delivers to each user's folder: files, and folders copied with
// everything below them.
inline const QStringList kDeliveredItems = {QStringLiteral("CATEGORY.INI"),
                                            QStringLiteral("Pelimond.mdb"),
                                            QStringLiteral("WEBIMAGE"), QStringLiteral("help")};

// The lock that the starts filling one user's folder take in turn.
inline const QString kFillLockName = QStringLiteral("Pelimond.fill.lock");

// The name a delivered file is copied to before it is renamed into place.
QString CopyingName(const QString& name);

// True when the executable's folder cannot be the program folder: it is not writable, or it
// holds kSharedFolderMarker.
bool IsSharedFolder(const QString& executableFolder);

// $XDG_DATA_HOME/Pelimond, by default ~/.local/share/Pelimond.
QString PerUserFolder();

// Copies every delivered item of installedFolder that userFolder lacks: a name that exists there
// in any case of letters is never replaced. Each file is written under CopyingName() and renamed
// into place, so an interrupted copy leaves no half file under the real name and is finished by
// the next call. False with *failure (file and reason) when a file cannot be copied.
bool CopyDeliveredFiles(const QString& installedFolder, const QString& userFolder,
                        QString* failure);

// Makes userFolder the program folder, ready for use: creates it, proves it writable and fills
// it from installedFolder, while other starts on the same folder wait their turn. False with
// *failure when the folder cannot be used.
bool MakeUserFolder(const QString& installedFolder, const QString& userFolder, QString* failure);

// Chooses the program folder of a start that was given none: the executable's folder while that
// is a portable copy (nothing changes), otherwise the per-user folder, made ready by
// MakeUserFolder and set with SetProgramFolder. When the per-user folder cannot be used, tells
// the user (stop message, title "起動") and returns false: the program must end.
bool PrepareProgramFolder(const QString& executableFolder);

} // namespace startup
