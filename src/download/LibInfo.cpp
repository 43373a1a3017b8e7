#include "download/LibInfo.h"

#include "catalogue/Rows.h"
#include "util/FileUtil.h"
#include "util/ProgramFolder.h"
#include "util/Text.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <optional>

namespace download {

namespace {

constexpr int kNameLine = 1;
constexpr int kAddressLine = 3;
constexpr int kSizeLine = 5;
constexpr qsizetype kLabelColumns = 14;
const QString kRule = QString(70, u'-');

// Digits, optionally grouped in thousands ("1,234,567"), with blanks around them.
std::optional<qint64> parseByteCount(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^(?:[0-9]{1,3}(?:,[0-9]{3})+|[0-9]+)$"));
    QString digits = text.trimmed();
    if (!number.match(digits).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qint64 value = digits.remove(u',').toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

QString dateText(const std::optional<QDateTime>& date)
{
    return date && date->isValid() ? date->toString(QStringLiteral("yyyy/MM/dd")) : QString();
}

} // namespace

QString ArchiveFileName(const QString& remoteAddress)
{
    QString name = remoteAddress.mid(remoteAddress.lastIndexOf(u'/') + 1);
    name.replace(u'\\', u'_');
    const QString bare = name.trimmed();
    if (bare.isEmpty() || bare == u"." || bare == u"..")
        return {};
    return name;
}

bool ReadLibInfo(const QString& folder, LibInfo* out)
{
    // Names below the program folder match without regard to case, the entry folder included.
    const QString entryFolder = programfolder::FindPath(util::ResolvePath(folder));
    const QString path = programfolder::FindPath(entryFolder + u'/' + kLibInfoFile);
    QStringList lines;
    if (!QFileInfo(path).isFile() || !text::ReadLines(path, &lines) || lines.size() <= kSizeLine)
        return false;

    LibInfo info;
    info.folder = entryFolder;
    info.name = util::ReplaceText(lines[kNameLine], kNameLabel, QString());
    info.remoteAddress = util::ReplaceText(lines[kAddressLine], kAddressLabel, QString());
    const QString size = util::ReplaceText(
        util::ReplaceText(lines[kSizeLine], kSizeLabel, QString()), kSizeUnit, QString());
    info.expectedSize = parseByteCount(size).value_or(1);
    const QString fileName = ArchiveFileName(info.remoteAddress);
    if (!fileName.isEmpty())
        info.localFile = entryFolder + u'/' + fileName;
    *out = info;
    return true;
}

QString LibInfoLabel(const QString& label)
{
    const qsizetype width = text::Cp932Length(label);
    return label + QString(qMax<qsizetype>(0, kLabelColumns - width), u' ') + QStringLiteral(": ");
}

QStringList LibInfoLines(const catalogue::EntryRow& row, const QString& typeName)
{
    const QString size = row.FileSize2 ? text::GroupedNumber(*row.FileSize2) : QString();
    QStringList lines{
        kRule,
        LibInfoLabel(QStringLiteral("ライブラリ名")) + row.SoftName,
        LibInfoLabel(QStringLiteral("バージョン")) + row.Version,
        LibInfoLabel(QStringLiteral("ファイル名")) + row.FTPURL,
        LibInfoLabel(QStringLiteral("ファイルタイプ")) + typeName,
        LibInfoLabel(QStringLiteral("ファイルサイズ")) + size + u' ' + kSizeUnit,
        LibInfoLabel(QStringLiteral("登録日")) + dateText(row.RegistDate),
        LibInfoLabel(QStringLiteral("公開日")) + dateText(row.OpenDate),
        LibInfoLabel(QStringLiteral("ソフト説明")) + row.Description,
        LibInfoLabel(QStringLiteral("作者")) + row.Author,
        LibInfoLabel(QStringLiteral("ライブラリURL")) + row.TargetURL,
        kRule,
        QString(),
    };
    // The long description keeps its line breaks (CR LF, CR or LF), empty lines included; a
    // break at its very end starts no further line.
    QString detail = row.DescriptionDetail;
    detail.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    if (detail.endsWith(u'\n'))
        detail.chop(1);
    lines += detail.split(u'\n');
    return lines;
}

bool WriteLibInfo(const QString& folder, const catalogue::EntryRow& row, const QString& typeName)
{
    return text::WriteLines(folder + u'/' + kLibInfoFile, LibInfoLines(row, typeName));
}

} // namespace download
