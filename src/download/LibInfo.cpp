#include "download/LibInfo.h"

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

QString lastSegment(const QString& address)
{
    return address.mid(address.lastIndexOf(u'/') + 1);
}

} // namespace

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
    info.localFile = entryFolder + u'/' + lastSegment(info.remoteAddress);
    *out = info;
    return true;
}

} // namespace download
