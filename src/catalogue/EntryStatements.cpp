#include "catalogue/Catalogue.h"
#include "catalogue/Schema.h"
#include "catalogue/StatementHelpers.h"

#include <QHash>
#include <array>

namespace catalogue {

namespace {

// Column positions of one result, looked up by name because a catalogue from before the
// upgrade has no Ranking.
enum Col {
    BaseURL,
    TargetURL,
    SoftName,
    Version,
    FileSize,
    FileSize2,
    FileType,
    NewFlag,
    PickUpURL,
    NewsURL,
    Description,
    RegiMoney,
    OpenDate,
    RegistDate,
    DetailRead,
    FTPURL,
    DescriptionDetail,
    PaymentURL,
    PaymentInfo,
    Author,
    AuthorURL,
    Category,
    OSType,
    Favorites,
    Search,
    Ranking,
    ColCount
};

QStringList allColumns()
{
    return EntryColumns() << QStringLiteral("Ranking");
}

class EntryReader
{
public:
    explicit EntryReader(const Statement& q)
    {
        static const QHash<QString, int> columnOf = [] {
            QHash<QString, int> map;
            const QStringList names = allColumns();
            for (int i = 0; i < ColCount; ++i)
                map.insert(names[i].toLower(), i);
            return map;
        }();
        m_index.fill(-1);
        for (int f = 0; f < q.columnCount(); ++f) {
            const int c = columnOf.value(q.columnName(f).toLower(), -1);
            if (c >= 0)
                m_index[c] = f;
        }
    }

    void read(const Statement& q, EntryRow& r) const
    {
        r.BaseURL = base(q);
        r.TargetURL = text(q, TargetURL);
        r.SoftName = text(q, SoftName);
        r.Version = text(q, Version);
        r.FileSize = number(q, FileSize);
        r.FileSize2 = number(q, FileSize2);
        r.FileType = int(number(q, FileType).value_or(99));
        r.NewFlag = int(number(q, NewFlag).value_or(0));
        r.PickUpURL = text(q, PickUpURL);
        r.NewsURL = text(q, NewsURL);
        r.Description = text(q, Description);
        r.RegiMoney = number(q, RegiMoney).value_or(0);
        r.OpenDate = date(q, OpenDate);
        r.RegistDate = date(q, RegistDate);
        r.DetailRead = number(q, DetailRead).value_or(0) != 0;
        readDetails(q, r);
        r.Favorites = number(q, Favorites).value_or(0) != 0;
        r.Search = number(q, Search).value_or(0) != 0;
        const auto ranking = number(q, Ranking);
        r.Ranking = ranking ? std::optional<int>(int(*ranking)) : std::nullopt;
    }

private:
    void readDetails(const Statement& q, EntryRow& r) const
    {
        r.FTPURL = text(q, FTPURL);
        r.DescriptionDetail = text(q, DescriptionDetail);
        r.PaymentURL = text(q, PaymentURL);
        r.PaymentInfo = text(q, PaymentInfo);
        r.Author = text(q, Author);
        r.AuthorURL = text(q, AuthorURL);
        r.Category = text(q, Category);
        r.OSType = text(q, OSType);
    }
    bool absent(const Statement& q, Col c) const { return m_index[c] < 0 || q.isNull(m_index[c]); }
    QString text(const Statement& q, Col c) const
    {
        return m_index[c] < 0 ? QString() : q.text(m_index[c]);
    }
    // The rows of a read share few folders, so they share the folder's text too.
    QString base(const Statement& q) const
    {
        const QString url = text(q, BaseURL);
        if (url != m_lastBase)
            m_lastBase = url;
        return m_lastBase;
    }
    std::optional<qint64> number(const Statement& q, Col c) const
    {
        return absent(q, c) ? std::nullopt : std::optional<qint64>(q.number(m_index[c]));
    }
    // Each distinct stored date is built once per read: a local time costs a time-zone
    // lookup, and a folder's entries share few dates.
    std::optional<QDateTime> date(const Statement& q, Col c) const
    {
        if (absent(q, c))
            return std::nullopt;
        const QString text = q.text(m_index[c]);
        auto it = m_dates.constFind(text);
        if (it == m_dates.constEnd())
            it = m_dates.insert(text, FromDbDate(text));
        return it->isValid() ? std::optional<QDateTime>(*it) : std::nullopt;
    }

    std::array<int, ColCount> m_index{};
    mutable QString m_lastBase;
    mutable QHash<QString, QDateTime> m_dates;
};

bool visitEntries(Db& db, const QString& where, const QVariantList& values, EntryFields columns,
                  const EntryVisitor& visit)
{
    static const QString listColumns =
        QStringLiteral("SELECT BaseURL, TargetURL, SoftName, Version, FileSize, FileType, NewFlag, "
                       "PickUpURL, NewsURL, Description, RegiMoney, OpenDate FROM T_Softwares ");
    const QString select =
        columns == EntryFields::List ? listColumns : QStringLiteral("SELECT * FROM T_Softwares ");
    std::optional<EntryReader> reader;
    EntryRow row;
    return detail::ForEachRow(db, select + where, values, [&](const Statement& q) {
        if (!reader)
            reader.emplace(q);
        reader->read(q, row);
        visit(row);
    });
}

QList<EntryRow> readEntries(Db& db, const QString& where, const QVariantList& values,
                            EntryFields columns = EntryFields::All)
{
    QList<EntryRow> rows;
    visitEntries(db, where, values, columns, [&rows](const EntryRow& row) { rows.append(row); });
    return rows;
}

// The folder's rows in the order they were added. Ordering the folder's rowids alone spares
// SQLite sorting whole rows.
const QString kFolderRows = QStringLiteral(
    "WHERE rowid IN (SELECT rowid FROM T_Softwares WHERE BaseURL = ?) ORDER BY rowid");
const QString kFavoriteRows = QStringLiteral("WHERE Favorites <> 0 ORDER BY rowid");
const QString kSearchRows = QStringLiteral("WHERE Search <> 0 ORDER BY rowid LIMIT ?");

QVariantList entryValues(const EntryRow& r)
{
    using detail::Text;
    return {Text(r.BaseURL),
            Text(r.TargetURL),
            Text(r.SoftName),
            Text(r.Version),
            SizeOrNull(r.FileSize),
            SizeOrNull(r.FileSize2),
            r.FileType,
            r.NewFlag,
            Text(r.PickUpURL),
            Text(r.NewsURL),
            Text(r.Description),
            r.RegiMoney,
            DateOrNull(r.OpenDate),
            DateOrNull(r.RegistDate),
            int(r.DetailRead),
            Text(r.FTPURL),
            Text(r.DescriptionDetail),
            Text(r.PaymentURL),
            Text(r.PaymentInfo),
            Text(r.Author),
            Text(r.AuthorURL),
            Text(r.Category),
            Text(r.OSType),
            int(r.Favorites),
            int(r.Search),
            r.Ranking ? QVariant(*r.Ranking) : QVariant()};
}

bool setFavorite(Db& db, const QString& base, const QString& target, bool on)
{
    return db.execute(
        QStringLiteral("UPDATE T_Softwares SET Favorites = ? WHERE BaseURL = ? AND TargetURL = ?"),
        {int(on), base, target});
}

const QString kKeptMarks = QStringLiteral(" AND Favorites = 0 AND Search = 0");

} // namespace

std::optional<EntryRow> FindEntry(Db& db, const QString& base, const QString& target)
{
    // Most finds of a list page miss (the folder was emptied first), and a one-column probe
    // costs far less than a whole row, so the row is read only when it is there.
    std::optional<qint64> rowid;
    detail::ForEachRow(
        db, QStringLiteral("SELECT rowid FROM T_Softwares WHERE BaseURL = ? AND TargetURL = ?"),
        {base, target}, [&rowid](const Statement& q) { rowid = q.value(0).toLongLong(); });
    if (!rowid)
        return std::nullopt;
    const QList<EntryRow> rows = readEntries(db, QStringLiteral("WHERE rowid = ?"), {*rowid});
    return rows.isEmpty() ? std::nullopt : std::optional<EntryRow>(rows.first());
}

bool SaveEntry(Db& db, const EntryRow& row)
{
    static const QString sql = detail::UpsertSql(QStringLiteral("T_Softwares"), allColumns(),
                                                 QStringLiteral("BaseURL, TargetURL"));
    return db.execute(sql, entryValues(row));
}

bool SaveListColumns(Db& db, const EntryRow& row)
{
    static const QString sql = detail::UpsertSql(
        QStringLiteral("T_Softwares"), allColumns(), QStringLiteral("BaseURL, TargetURL"),
        {QStringLiteral("SoftName"), QStringLiteral("Version"), QStringLiteral("FileSize"),
         QStringLiteral("FileType"), QStringLiteral("NewFlag"), QStringLiteral("PickUpURL"),
         QStringLiteral("NewsURL"), QStringLiteral("Description"), QStringLiteral("RegiMoney"),
         QStringLiteral("OpenDate"), QStringLiteral("Ranking")});
    return db.execute(sql, entryValues(row));
}

QList<EntryRow> FolderEntries(Db& db, const QString& url, EntryFields columns)
{
    return readEntries(db, kFolderRows, {url}, columns);
}

QList<EntryRow> FavoriteEntries(Db& db, EntryFields columns)
{
    return readEntries(db, kFavoriteRows, {}, columns);
}

QList<EntryRow> SearchEntries(Db& db, int top, EntryFields columns)
{
    if (top <= 0)
        return {};
    return readEntries(db, kSearchRows, {top}, columns);
}

bool VisitFolderEntries(Db& db, const QString& url, EntryFields columns, const EntryVisitor& visit)
{
    return visitEntries(db, kFolderRows, {url}, columns, visit);
}

bool VisitFavoriteEntries(Db& db, EntryFields columns, const EntryVisitor& visit)
{
    return visitEntries(db, kFavoriteRows, {}, columns, visit);
}

bool VisitSearchEntries(Db& db, int top, EntryFields columns, const EntryVisitor& visit)
{
    return top <= 0 || visitEntries(db, kSearchRows, {top}, columns, visit);
}

bool DeleteFolderEntries(Db& db, const QString& url)
{
    return db.execute(QStringLiteral("DELETE FROM T_Softwares WHERE BaseURL = ?") + kKeptMarks,
                      {url});
}

bool DeleteEntriesBelow(Db& db, const QString& url)
{
    const SqlCondition below = PrefixCondition(QStringLiteral("BaseURL"), url);
    return db.execute(QStringLiteral("DELETE FROM T_Softwares WHERE ") + below.sql + kKeptMarks,
                      below.values);
}

bool MarkFavorite(Db& db, const QString& base, const QString& target)
{
    return setFavorite(db, base, target, true);
}

bool UnmarkFavorite(Db& db, const QString& base, const QString& target)
{
    return setFavorite(db, base, target, false);
}

bool ClearSearch(Db& db)
{
    return db.execute(QStringLiteral("UPDATE T_Softwares SET Search = 0 WHERE Search <> 0"));
}

bool MarkSearch(Db& db, const SqlCondition& condition)
{
    const QString where = condition.sql.isEmpty() ? QStringLiteral("1 = 1") : condition.sql;
    return db.execute(QStringLiteral("UPDATE T_Softwares SET Search = 1 WHERE ") + where,
                      condition.values);
}

std::optional<int> CountSearch(Db& db)
{
    return detail::Count(db, QStringLiteral("SELECT COUNT(*) FROM T_Softwares WHERE Search <> 0"));
}

std::optional<int> CountFavorites(Db& db)
{
    return detail::Count(db,
                         QStringLiteral("SELECT COUNT(*) FROM T_Softwares WHERE Favorites <> 0"));
}

std::optional<int> CountEntriesBelow(Db& db, const QString& url)
{
    const SqlCondition below = PrefixCondition(QStringLiteral("BaseURL"), url);
    return detail::Count(db, QStringLiteral("SELECT COUNT(*) FROM T_Softwares WHERE ") + below.sql,
                         below.values);
}

std::optional<SizeAndMoney> EntrySizeAndMoney(Db& db, const QString& base, const QString& target)
{
    std::optional<SizeAndMoney> found;
    detail::ForEachRow(db,
                       QStringLiteral("SELECT IFNULL(FileSize, 0), IFNULL(RegiMoney, 0) FROM "
                                      "T_Softwares WHERE BaseURL = ? AND TargetURL = ?"),
                       {base, target}, [&found](const Statement& q) {
                           if (!found)
                               found = SizeAndMoney{q.number(0), q.number(1)};
                       });
    return found;
}

} // namespace catalogue
