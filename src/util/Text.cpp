#include "util/Text.h"

#include "util/FileUtil.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace text {

namespace {
constexpr const char* kCodec = "windows-31j";

// The permissions a replaced file keeps, or those of a newly created one (the temporary file
// would otherwise carry the process's creation mask instead).
QFileDevice::Permissions permissionsFor(const QString& path)
{
    const QFileInfo target(path);
    if (target.exists())
        return target.permissions();
    return QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
           QFileDevice::WriteUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;
}

// A name beside the target that no other writer picks: the target's name, a dot and random
// letters. A crash between its creation and the rename can leave it behind; nothing reads it.
QString temporaryName(const QString& path)
{
    return path + u'.' + QString::number(QRandomGenerator::global()->generate64(), 36);
}

// Temporary file beside the target, then a rename over it, without waiting for the disk. Plain
// create-write-rename: a page of the cache is written this way for every fetch.
bool replaceWithoutSync(const QString& path, const QByteArray& bytes)
{
    const QFileDevice::Permissions permissions = permissionsFor(path);
    QFile file(temporaryName(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return false;
    const bool written = file.write(bytes) == bytes.size() && file.setPermissions(permissions);
    file.close();
    if (!written || file.error() != QFileDevice::NoError ||
        !util::RenameOver(file.fileName(), path)) {
        file.remove();
        return false;
    }
    return true;
}

} // namespace

QString DecodeCp932(QByteArrayView bytes)
{
    QStringDecoder decoder(kCodec);
    QString out = decoder.decode(bytes);
    // The converter substitutes SUB (0x1A) for bytes that are not CP932; show them as the
    // Unicode replacement character instead. A real SUB byte never occurs in the site's text.
    out.replace(QChar(0x1A), QChar(QChar::ReplacementCharacter));
    return out;
}

QByteArray EncodeCp932(QStringView text)
{
    QStringEncoder encoder(kCodec);
    return encoder.encode(text);
}

bool FitsCp932(QStringView text)
{
    // Fresh converters for each text: one that met an unmappable character keeps reporting it.
    return DecodeCp932(EncodeCp932(text)) == text;
}

qsizetype Cp932Length(QStringView text)
{
    return EncodeCp932(text).size();
}

QString CutToCp932Bytes(const QString& text, qsizetype maxBytes)
{
    if (text.size() * 2 <= maxBytes)
        return text;
    qsizetype bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype step = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        qsizetype width = EncodeCp932(QStringView(text).mid(i, step)).size();
        if (bytes + width > maxBytes)
            break;
        bytes += width;
        i += step;
    }
    return text.left(i);
}

QString GroupedNumber(qint64 value)
{
    QString digits = QString::number(value);
    const qsizetype first = value < 0 ? 1 : 0;
    for (qsizetype at = digits.size() - 3; at > first; at -= 3)
        digits.insert(at, u',');
    return digits;
}

QStringList SplitLines(QStringView text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r')
            continue;
        lines.append(text.mid(start, i - start).toString());
        if (i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start).toString());
    return lines;
}

bool ReadFileBytes(const QString& path, QByteArray* out)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *out = file.readAll();
    return file.error() == QFileDevice::NoError;
}

bool ReadTextFile(const QString& path, QString* out)
{
    QByteArray bytes;
    if (!ReadFileBytes(path, &bytes))
        return false;
    *out = DecodeCp932(bytes);
    return true;
}

bool ReadLines(const QString& path, QStringList* out)
{
    QString content;
    if (!ReadTextFile(path, &content))
        return false;
    *out = SplitLines(content);
    return true;
}

bool WriteFileAtomic(const QString& path, const QByteArray& bytes, Durability durability)
{
    if (durability == Durability::NoSync)
        return replaceWithoutSync(path, bytes);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool WriteTextFile(const QString& path, QStringView text)
{
    return WriteFileAtomic(path, EncodeCp932(text));
}

bool WriteLines(const QString& path, const QStringList& lines)
{
    QString content;
    for (const QString& line : lines)
        content += line + kCrLf;
    return WriteTextFile(path, content);
}

bool AppendLine(const QString& path, QStringView line)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray bytes = EncodeCp932(line) + "\r\n";
    return file.write(bytes) == bytes.size();
}

} // namespace text
