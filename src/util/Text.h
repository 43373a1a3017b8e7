#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The one place where the program's files meet code page 932 ("windows-31j").
// Inside, text is QString; on disk it is CP932 with CR LF line ends.
namespace text {

inline constexpr QStringView kCrLf = u"\r\n";

QString DecodeCp932(QByteArrayView bytes);
QByteArray EncodeCp932(QStringView text);
// Whether every character of the text survives the trip to CP932 and back unchanged.
bool FitsCp932(QStringView text);
// Number of bytes the text takes in CP932 (a full-width character counts two).
qsizetype Cp932Length(QStringView text);
// The longest prefix of the text that fits in maxBytes CP932 bytes without splitting a character.
QString CutToCp932Bytes(const QString& text, qsizetype maxBytes);

// A whole number with thousands separators ("#,0": 1234567 gives "1,234,567").
QString GroupedNumber(qint64 value);

// Lines as the stored files define them: a line ends at CR or CR LF; a lone LF stays
// inside its line. A final line end does not start an empty last line.
QStringList SplitLines(QStringView text);

// Whole-file helpers. Reads fail (false) when the file is missing or unreadable.
bool ReadFileBytes(const QString& path, QByteArray* out);
bool ReadTextFile(const QString& path, QString* out);
bool ReadLines(const QString& path, QStringList* out);

// Writes replace the file atomically: a temporary file in the same folder, then a rename,
// so a crash or a full disk never leaves a half-written file where a good one was.
// Synced writes reach the disk before the rename; NoSync leaves that to the system, for files
// that can be fetched again (a crash may then leave the old or an empty file, never a mix).
enum class Durability { Synced, NoSync };
bool WriteFileAtomic(const QString& path, const QByteArray& bytes,
                     Durability durability = Durability::Synced);
bool WriteTextFile(const QString& path, QStringView text);
bool WriteLines(const QString& path, const QStringList& lines); // each line + CR LF
// Appends text + CR LF, creating the file when missing.
bool AppendLine(const QString& path, QStringView line);

} // namespace text
