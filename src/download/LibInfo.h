#pragma once

#include <QString>

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
    QString localFile;       // folder + "/" + the part of the address after its last "/"
};

// Reads the library information file of the entry folder (stored paths such as ".\DOWNLOAD\x"
// or "C:\x\" are accepted). False when the file is missing or lacks one of its first six lines.
bool ReadLibInfo(const QString& folder, LibInfo* out);

} // namespace download
