#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace talvexsim {

class Site;

// The bytes of one archive of the download host, made on request: any stretch of them is
// written without making the bytes before it, so an archive of any size is served in pieces
// (and a Range request from its middle) without being held in memory. The bytes are those of
// a SplitMix64 stream seeded by the site's seed and the entry number, eight bytes per value,
// one byte per value in the last odd bytes, with the format's magic bytes at the start.
class ArchiveBytes
{
public:
    ArchiveBytes(const Site& site, int package);

    qint64 size() const { return m_size; }
    // Writes the bytes [offset, offset + length) to out; the stretch must lie inside the archive.
    void read(qint64 offset, char* out, qint64 length) const;
    QByteArray read(qint64 offset, qint64 length) const;

private:
    quint64 value(qint64 index) const; // the index-th value of the stream

    quint64 m_seed;
    qint64 m_size;
    QByteArray m_magic;
};

} // namespace talvexsim
