#pragma once

#include <QString>
#include <QVariant>
#include <optional>

// Shared path, folder and text operations.
namespace util {

// Turns a stored, possibly relative, Windows-shaped path into an absolute "/" path:
// a trailing "\" is dropped, ".\x" is below the program folder, "..\x" below its parent;
// anything else is returned as it stands (separators turned into "/"). Names below the
// program folder are looked up without regard to case.
QString ResolvePath(const QString& path);
// Creates the folder and every missing folder above it; failures are ignored. Always true.
bool MakeFolders(const QString& path);
// True for an existing ordinary, non-hidden file; false for a folder or a missing path.
bool FileExists(const QString& path);
// Moves the file at from to the place of to in one step, replacing a file that is there (a
// reader sees the old file or the new one, never a part). False when it could not be moved.
bool RenameOver(const QString& from, const QString& to);
// The text before the last "."; unchanged without a ".".
QString StripExtension(const QString& name);
// Blanks removed from both ends, then cut before the first NUL.
QString TrimNull(const QString& text);
// The value, or def when the value is Null.
QVariant NullTo(const QVariant& value, const QVariant& def);
// Every occurrence of find replaced, left to right, case-sensitive.
QString ReplaceText(const QString& text, const QString& find, const QString& replacement);
// Non-overlapping occurrences of part in text; 0 for an empty part.
int CountOf(QStringView text, QStringView part);
// Deletes everything inside folder and the folder itself, except that the cache folder is
// emptied but kept. False (with a trace line when Debug is 1) when something could not be deleted
// or folder is the file-system root.
bool DeleteFolderTree(const QString& folder);
// Replaces each of ' \ / : , ; * ? " < > | by "_". Always true.
bool CleanFileName(QString& name);

// A number from a numeric text (blanks around it allowed), or nothing.
std::optional<double> ToNumber(const QString& text);
// A whole number from a numeric text, a fraction rounded to the nearest (half to even);
// nothing when the text is not a number or does not fit in 32 bits.
std::optional<int> ToWholeNumber(const QString& text);

} // namespace util
