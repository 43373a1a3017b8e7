#pragma once

#include <QString>
#include <QStringList>

namespace catalogue {
struct EntryRow;
}

// The library information file "LIBINFO.TXT" beside each downloaded archive. It is also the
// hand-over record to the download process, which reads three of its lines back.
namespace download {

inline const QString kLibInfoFile = QStringLiteral("LIBINFO.TXT");
// Labels of the three lines the download process reads; each is padded to 14 single-byte columns.
inline const QString kNameLabel = QStringLiteral("ライブラリ名  : ");
inline const QString kAddressLabel = QStringLiteral("ファイル名    : ");
inline const QString kSizeLabel = QStringLiteral("ファイルサイズ: ");
inline const QString kSizeUnit = QStringLiteral("バイト");

struct LibInfo
{
    QString folder;          // the entry folder, resolved and found on disk
    QString name;            // SoftName as stored
    QString remoteAddress;   // the archive's download address
    qint64 expectedSize = 1; // bytes; 1 when the size line holds no number
    // folder + "/" + the part of the address after its last "/"; empty when that part is no
    // usable file name (empty, "." or "..", blanks only), so nothing can land outside the folder.
    QString localFile;
};

// Reads the library information file of the entry folder (stored paths such as ".\DOWNLOAD\x"
// or "C:\x\" are accepted). False when the file is missing or lacks one of its first six lines.
bool ReadLibInfo(const QString& folder, LibInfo* out);

// The label padded with blanks to 14 single-byte columns (a full-width character counts two),
// then ": ".
QString LibInfoLabel(const QString& label);
// The lines of the file for the entry's row: the eleven labelled lines between two rules, an
// empty line and the long description, with its own line breaks, as the last lines.
QStringList LibInfoLines(const catalogue::EntryRow& row, const QString& typeName);
// Writes the file into the (existing) entry folder in CP932 with CR LF line ends, replacing an
// earlier one in one step (a temporary file, then a rename). False when it cannot be written.
bool WriteLibInfo(const QString& folder, const catalogue::EntryRow& row, const QString& typeName);

// The archive's file name in the entry folder for a download address: the text after its last
// "/", with a "\" made "_" (it would separate folders where the stored paths are read). Empty
// when that gives no usable name: empty, "." or "..", or blanks only.
QString ArchiveFileName(const QString& remoteAddress);

} // namespace download
