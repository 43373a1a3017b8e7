#include "config/Categories.h"

#include "config/Ini.h"
#include "config/Settings.h"
#include "util/FileUtil.h"
#include "util/ProgramFolder.h"
#include "util/Text.h"
#include "util/Trace.h"

#include <QFileInfo>

namespace config {

namespace {

struct StandardRow
{
    const char16_t* name;
    const char16_t* path;
    bool fetch;
};

constexpr StandardRow kStandard[] = {
    {u"汎用データ", u"filearea/data/", false},
    {u"MS-DOS", u"filearea/dos/", false},
    {u"Macintosh", u"filearea/mac/", false},
    {u"Macベンダー提供ソフト", u"filearea/macmaker/", false},
    {u"ベンダー提供・関連", u"filearea/maker/", false},
    {u"OS/2,WARP", u"filearea/os2/", false},
    {u"その他", u"filearea/other/", false},
    {u"Solaris", u"filearea/solaris/", false},
    {u"FM-TOWNS", u"filearea/towns/", false},
    {u"UNIX", u"filearea/unix/", false},
    {u"Windows", u"filearea/win/", true},
    {u"Windows3.1", u"filearea/win31/", true},
    {u"Windows95/98/Me", u"filearea/win95/", true},
    {u"WindowsNT/2000/XP", u"filearea/winnt/", true},
    {u"X68000", u"filearea/x68/", false},
};

constexpr qsizetype kFileAreaRows = 15;

QString categoryPath()
{
    return programfolder::InProgramFolder(kCategoryFile);
}

// The boolean conversion of a stored flag: a number (non-zero is true) or "True"/"False".
bool toBoolean(const QString& text, bool* out)
{
    const QString t = text.trimmed();
    if (t.compare(u"True", Qt::CaseInsensitive) == 0 ||
        t.compare(u"False", Qt::CaseInsensitive) == 0) {
        *out = t.compare(u"True", Qt::CaseInsensitive) == 0;
        return true;
    }
    const auto n = util::ToNumber(t);
    if (!n)
        return false;
    *out = *n != 0;
    return true;
}

} // namespace

QList<CategoryRecord>& Categories()
{
    static QList<CategoryRecord> table{CategoryRecord()};
    return table;
}

QList<CategoryRecord> StandardCategories()
{
    QList<CategoryRecord> rows;
    const QString tpack = SiteRoot + QStringLiteral("tpack/");
    for (const StandardRow& r : kStandard)
        rows.append({r.fetch, QString::fromUtf16(r.name), tpack + QString::fromUtf16(r.path)});
    // The new-arrival rows repeat the library rows under "whats/".
    for (qsizetype i = 0; i < kFileAreaRows; ++i) {
        const StandardRow& r = kStandard[i];
        QString path = QString::fromUtf16(r.path);
        path.replace(QStringLiteral("filearea/"), QStringLiteral("whats/"));
        rows.append({r.fetch, QString::fromUtf16(r.name) + QStringLiteral("(新着)"), tpack + path});
    }
    return rows;
}

QString CategoryLine(const CategoryRecord& category)
{
    return category.Name + QStringLiteral("@@") + category.URL + QStringLiteral("@@") +
           (category.Fetch ? u'1' : u'0');
}

bool WriteCategoryFile(const QList<CategoryRecord>& rows)
{
    QStringList lines;
    for (const CategoryRecord& row : rows)
        lines.append(CategoryLine(row));
    return text::WriteLines(categoryPath(), lines);
}

bool AddNewArrivalCategories()
{
    const QString path = categoryPath();
    QStringList lines;
    if (!QFileInfo(path).isFile() || !ReadConfigLines(path, &lines)) {
        util::TraceIfDebug(QStringLiteral("カテゴリの追加エラー(53)"));
        return false;
    }
    const QString marker = SiteRoot + QStringLiteral("tpack/whats");
    for (const QString& line : lines) {
        if (line.contains(marker))
            return true;
    }
    // Rewrite the whole file (atomically) rather than append, so a crash cannot leave
    // half of the new rows behind.
    QByteArray bytes;
    text::ReadFileBytes(path, &bytes);
    if (!bytes.isEmpty() && !bytes.endsWith('\r') && !bytes.endsWith('\n'))
        bytes += "\r\n";
    const QList<CategoryRecord> standard = StandardCategories();
    for (qsizetype i = kFileAreaRows; i < standard.size(); ++i)
        bytes += text::EncodeCp932(CategoryLine(standard[i])) + "\r\n";
    if (!text::WriteFileAtomic(path, bytes)) {
        util::TraceIfDebug(QStringLiteral("カテゴリの追加エラー(75)"));
        return false;
    }
    return true;
}

bool LoadCategories()
{
    QList<CategoryRecord>& table = Categories();
    table = {CategoryRecord()};
    QStringList lines;
    const QString path = categoryPath();
    if (!QFileInfo(path).isFile() || !ReadConfigLines(path, &lines)) {
        util::TraceIfDebug(QStringLiteral("カテゴリの読み込みエラー(53)"));
        return false;
    }
    for (const QString& line : lines) {
        const QStringList fields = line.split(QStringLiteral("@@"));
        if (fields.size() != 3) {
            util::TraceIfDebug(QStringLiteral("カテゴリデータ不正"));
            continue;
        }
        CategoryRecord rec;
        if (!toBoolean(fields[2], &rec.Fetch)) {
            util::TraceIfDebug(QStringLiteral("カテゴリの読み込みエラー(13)"));
            return false;
        }
        rec.Name = fields[0];
        rec.URL = fields[1];
        table.append(rec);
    }
    return true;
}

bool IsCategoryFetched(const QString& url)
{
    const QList<CategoryRecord>& table = Categories();
    for (qsizetype i = 1; i < table.size(); ++i) {
        if (url.contains(table[i].URL))
            return table[i].Fetch;
    }
    return true;
}

} // namespace config
