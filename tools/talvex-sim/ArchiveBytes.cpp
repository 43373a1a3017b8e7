#include "talvex-sim/ArchiveBytes.h"

#include "talvex-sim/Site.h"

#include <cstring>

namespace talvexsim {

namespace {

constexpr quint64 kGamma = 0x9E3779B97F4A7C15ull;

QByteArray magicOf(const QString& url)
{
    if (url.endsWith(u".zip"))
        return QByteArrayLiteral("PK\x03\x04");
    if (url.endsWith(u".exe"))
        return QByteArrayLiteral("MZ");
    if (url.endsWith(u".sit"))
        return QByteArrayLiteral("SIT!");
    if (url.endsWith(u".tar.gz"))
        return QByteArrayLiteral("\x1f\x8b\x08");
    return QByteArrayLiteral("\x20\x00-lh5-");
}

} // namespace

ArchiveBytes::ArchiveBytes(const Site& site, int package)
    : m_seed(site.seed() * 31u + quint64(site.package(package).id)),
      m_size(site.package(package).archiveBytes), m_magic(magicOf(site.package(package).archiveUrl))
{}

// The same value as the index-th call of Rng::next() on a generator seeded with m_seed.
quint64 ArchiveBytes::value(qint64 index) const
{
    quint64 z = m_seed + quint64(index + 1) * kGamma;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

void ArchiveBytes::read(qint64 offset, char* out, qint64 length) const
{
    const qint64 end = offset + length;
    const qint64 wordsEnd = m_size / 8 * 8; // where the one-byte values begin
    qint64 pos = offset;
    while (pos < end && pos < wordsEnd) {
        const quint64 v = value(pos / 8);
        const qint64 in = pos % 8;
        const qint64 n = qMin(8 - in, end - pos);
        std::memcpy(out + (pos - offset), reinterpret_cast<const char*>(&v) + in, size_t(n));
        pos += n;
    }
    for (; pos < end; ++pos)
        out[pos - offset] = char(value(wordsEnd / 8 + (pos - wordsEnd)));
    for (qint64 i = offset; i < end && i < m_magic.size(); ++i)
        out[i - offset] = m_magic.at(i);
}

QByteArray ArchiveBytes::read(qint64 offset, qint64 length) const
{
    QByteArray bytes(length, Qt::Uninitialized);
    read(offset, bytes.data(), length);
    return bytes;
}

} // namespace talvexsim
