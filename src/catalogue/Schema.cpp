#include "catalogue/Schema.h"

#include "catalogue/Db.h"

#include <QFile>
#include <QFileInfo>

namespace catalogue {

namespace {

// URL keys compare without regard to ASCII case, as the catalogue always has; text columns
// hold an empty text rather than Null.
const QString kFoldersTable = QStringLiteral("CREATE TABLE T_Folders ("
                                             "TargetURL TEXT NOT NULL COLLATE NOCASE, "
                                             "Description TEXT NOT NULL DEFAULT '', "
                                             "URLClass INTEGER NOT NULL DEFAULT 0, "
                                             "UpdateDate TEXT, "
                                             "UpdateFlg INTEGER NOT NULL DEFAULT 0)");

const QString kFoldersKey =
    QStringLiteral("CREATE UNIQUE INDEX T_Folders_Key ON T_Folders (TargetURL)");

QString text(const char* name)
{
    return QString::fromLatin1(name) + QStringLiteral(" TEXT NOT NULL DEFAULT '', ");
}

QString entriesTable()
{
    return QStringLiteral("CREATE TABLE T_Softwares ("
                          "BaseURL TEXT NOT NULL COLLATE NOCASE, "
                          "TargetURL TEXT NOT NULL COLLATE NOCASE, ") +
           text("SoftName") + text("Version") +
           QStringLiteral("FileSize INTEGER, FileSize2 INTEGER, "
                          "FileType INTEGER NOT NULL DEFAULT 99, "
                          "NewFlag INTEGER NOT NULL DEFAULT 0, ") +
           text("PickUpURL") + text("NewsURL") + text("Description") +
           QStringLiteral("RegiMoney INTEGER NOT NULL DEFAULT 0, "
                          "OpenDate TEXT, RegistDate TEXT, "
                          "DetailRead INTEGER NOT NULL DEFAULT 0, ") +
           text("FTPURL") + text("DescriptionDetail") + text("PaymentURL") + text("PaymentInfo") +
           text("Author") + text("AuthorURL") + text("Category") + text("OSType") +
           QStringLiteral("Favorites INTEGER NOT NULL DEFAULT 0, "
                          "Search INTEGER NOT NULL DEFAULT 0)");
}

const QString kEntriesKey =
    QStringLiteral("CREATE UNIQUE INDEX T_Softwares_Key ON T_Softwares (BaseURL, TargetURL)");

const QString kAddRanking = QStringLiteral("ALTER TABLE T_Softwares ADD COLUMN Ranking INTEGER");

bool createTables(Db& db, bool withRanking)
{
    if (!db.beginTransaction())
        return false;
    bool ok = db.execute(kFoldersTable) && db.execute(kFoldersKey) && db.execute(entriesTable()) &&
              db.execute(kEntriesKey) && (!withRanking || db.execute(kAddRanking));
    ok = ok && db.commit();
    if (!ok)
        db.rollback();
    return ok;
}

} // namespace

QStringList FolderColumns()
{
    return {QStringLiteral("TargetURL"), QStringLiteral("Description"), QStringLiteral("URLClass"),
            QStringLiteral("UpdateDate"), QStringLiteral("UpdateFlg")};
}

QStringList EntryColumns()
{
    return QStringLiteral("BaseURL TargetURL SoftName Version FileSize FileSize2 FileType NewFlag "
                          "PickUpURL NewsURL Description RegiMoney OpenDate RegistDate DetailRead "
                          "FTPURL DescriptionDetail PaymentURL PaymentInfo Author AuthorURL "
                          "Category OSType Favorites Search")
        .split(u' ');
}

bool CreateEmptyCatalogue(const QString& path, bool withRanking)
{
    if (QFileInfo::exists(path))
        return false;
    bool ok = false;
    {
        Db db;
        ok = db.open(path, true) && createTables(db, withRanking);
    }
    if (!ok)
        QFile::remove(path);
    return ok;
}

QStringList ColumnNames(Db& db, const QString& table)
{
    QStringList names;
    Statement* q = db.select(QStringLiteral("SELECT name FROM pragma_table_info(?)"), {table});
    if (!q)
        return names;
    while (q->next())
        names.append(q->value(0).toString());
    q->finish();
    return names;
}

bool AddRankingColumn(Db& db)
{
    const QStringList columns = ColumnNames(db, QStringLiteral("T_Softwares"));
    if (columns.isEmpty())
        return false;
    if (columns.contains(QStringLiteral("Ranking"), Qt::CaseInsensitive))
        return true;
    return db.execute(kAddRanking);
}

} // namespace catalogue
