#pragma once

#include "catalogue/CatalogueLock.h"
#include "catalogue/Statement.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QVariantList>
#include <memory>

namespace catalogue {

// One open catalogue file. Each operation opens one, does its work and lets it go: the
// destructor closes the file and releases the connection. A Db belongs to the thread that
// opened it.
class Db
{
public:
    Db() = default;
    ~Db();
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;

    // One attempt to open the file at path. Without create a missing file is never made, and a
    // file that is not a catalogue (no T_Folders and T_Softwares) is refused. The connection
    // holds the catalogue's lock shared while it is open, waiting for a compaction in another
    // process to end first.
    bool open(const QString& path, bool create = false);
    void close();
    bool isOpen() const { return m_lender ? m_lender->isOpen() : m_db.isOpen(); }
    QString path() const { return m_path; }
    // The error of the last open or statement when it failed (text and native code for trace
    // lines); no error after one that succeeded.
    QSqlError lastError() const { return m_lender ? m_lender->m_error : m_error; }

    // Runs a write statement once with the values bound in order; affected gets the row count.
    bool execute(const QString& sql, const QVariantList& values = {}, int* affected = nullptr);
    // Runs a read statement with up to three attempts; the last failure is traced when Debug
    // is 1. The caller reads the rows and calls finish() on the result.
    Statement* select(const QString& sql, const QVariantList& values = {});

    // Whether an open of path would borrow the connection held in this thread.
    static bool canBorrow(const QString& path);

    bool beginTransaction();
    bool commit();
    bool rollback();

private:
    // The statement prepared once per open file and reused, so a page of writes prepares each
    // statement only once.
    Statement* prepared(const QString& sql);
    bool run(Statement* statement, const QVariantList& values);
    bool fail(const QSqlError& error);
    Statement* notOpen();

    friend class KeepCatalogueOpen;

    // While the catalogue is held open (KeepCatalogueOpen) in this thread, an open of the same
    // file borrows that connection and its prepared statements instead of making its own.
    Db* m_lender = nullptr;
    QString m_name;
    QString m_path;
    QSqlDatabase m_db;
    FileLock m_lock;
    QSqlError m_error;
    QHash<QString, std::shared_ptr<Statement>> m_statements;
};

// Opens an existing catalogue file: false at once, silently, when the file is missing; up to
// three attempts otherwise, the last error traced when Debug is 1.
bool OpenDb(Db& db, const QString& path);
// OpenDb on the catalogue named by the settings (dbname).
bool OpenCatalogue(Db& db);

// Holds the catalogue open for a run of many short operations (an update run writes one
// transaction per page): while it lives, closing the other connections does not write the
// log back into the file each time. Does nothing when the catalogue cannot be opened.
class KeepCatalogueOpen
{
public:
    // The catalogue of the settings, or the one at path.
    explicit KeepCatalogueOpen(const QString& path = QString());
    ~KeepCatalogueOpen();
    KeepCatalogueOpen(const KeepCatalogueOpen&) = delete;
    KeepCatalogueOpen& operator=(const KeepCatalogueOpen&) = delete;

private:
    Db m_db;
    Db* m_outer = nullptr; // the keeper this one stands in for, if any
};
// Opens a read statement on db: db.select, up to three attempts, the last failure traced when
// Debug is 1. Read the rows, then call finish() on the result.
Statement* OpenRs(Db& db, const QString& sql, const QVariantList& values = {});

} // namespace catalogue
