#include "catalogue/Db.h"

#include "config/Settings.h"
#include "util/FileUtil.h"
#include "util/Trace.h"

#include <QFileInfo>
#include <QSqlQuery>
#include <QUrl>
#include <atomic>

namespace catalogue {

namespace {

constexpr int kAttempts = 3;

// The connection a KeepCatalogueOpen holds in this thread, if any.
thread_local Db* t_keeper = nullptr;

QString nextConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("pelimond-catalogue-") + QString::number(++counter);
}

// The file as an SQLite URI whose mode forbids creating it, so a catalogue deleted between
// the existence test and the open is not silently recreated empty.
QString fileUri(const QString& path, bool create)
{
    const QString uri =
        QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
    return uri + (create ? QStringLiteral("?mode=rwc") : QStringLiteral("?mode=rw"));
}

} // namespace

Db::~Db()
{
    close();
}

bool Db::open(const QString& path, bool create)
{
    close();
    m_error = QSqlError();
    if (t_keeper != this && !create && canBorrow(path)) {
        m_lender = t_keeper;
        m_path = path;
        return true;
    }
    m_path = path;
    // A file being made has nobody else on it yet (and no lock file is left beside it).
    if (!create && !ExclusiveCatalogue::heldInThisThread()) {
        QString why;
        if (!m_lock.lock(CatalogueLockPath(path), FileLock::Mode::Shared, kOpenLockWaitMs, &why))
            return fail(QSqlError(QString(), why, QSqlError::ConnectionError));
    }
    m_name = nextConnectionName();
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    m_db.setDatabaseName(fileUri(path, create));
    QSqlError error;
    if (!m_db.open()) {
        error = m_db.lastError();
    } else {
        // SQLite reads the file lazily; touching the schema makes a file that is not a
        // catalogue fail here rather than in the first statement.
        QSqlQuery probe(m_db);
        // The tables first: a file that is not a catalogue is left exactly as it was.
        if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' "
                                       "AND name IN ('T_Folders', 'T_Softwares')")) ||
            !probe.next())
            error = probe.lastError();
        else if (!create && probe.value(0).toInt() != 2)
            error = QSqlError(QString(), QStringLiteral("not a Pelimond catalogue: ") + path,
                              QSqlError::ConnectionError);
        else if (!NativeConnection(m_db))
            error =
                QSqlError(QString(), QStringLiteral("the SQL driver's SQLite is not the program's"),
                          QSqlError::ConnectionError);
        else {
            probe.finish();
            // Write-ahead logging with normal synchronisation: a commit never syncs, a crash or
            // a power cut can lose only the last commits, never tear one or corrupt the file.
            // When the last connection closes, the log is written back and removed, so between
            // operations the catalogue is one file again.
            probe.exec(QStringLiteral("PRAGMA journal_mode = WAL"));
            probe.exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
            return true;
        }
    }
    close();
    return fail(error);
}

void Db::close()
{
    if (m_lender) {
        m_lender = nullptr;
        m_path.clear();
        return;
    }
    m_statements.clear();
    if (m_name.isEmpty()) {
        m_lock.unlock();
        return;
    }
    if (m_db.isOpen())
        m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
    m_name.clear();
    m_lock.unlock();
}

bool Db::fail(const QSqlError& error)
{
    m_error = error;
    return false;
}

Statement* Db::notOpen()
{
    m_error =
        QSqlError(QString(), QStringLiteral("catalogue not open"), QSqlError::ConnectionError);
    return nullptr;
}

Statement* Db::prepared(const QString& sql)
{
    if (!isOpen())
        return notOpen();
    if (const auto it = m_statements.constFind(sql); it != m_statements.constEnd())
        return it->get();
    auto statement = std::make_shared<Statement>(NativeConnection(m_db), sql);
    if (!statement->isValid()) {
        fail(statement->lastError());
        return nullptr;
    }
    return m_statements.insert(sql, std::move(statement))->get();
}

bool Db::run(Statement* statement, const QVariantList& values)
{
    if (statement->exec(values))
        return true;
    m_error = statement->lastError();
    statement->finish();
    return false;
}

bool Db::execute(const QString& sql, const QVariantList& values, int* affected)
{
    if (m_lender)
        return m_lender->execute(sql, values, affected);
    m_error = QSqlError();
    Statement* query = prepared(sql);
    if (!query || !run(query, values))
        return false;
    if (affected)
        *affected = query->numRowsAffected();
    query->finish();
    return true;
}

Statement* Db::select(const QString& sql, const QVariantList& values)
{
    if (m_lender)
        return m_lender->select(sql, values);
    if (!isOpen())
        return notOpen(); // quietly: the failed open was reported already
    m_error = QSqlError();
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        Statement* query = prepared(sql);
        if (query && run(query, values))
            return query;
    }
    util::TraceIfDebug(m_error.text());
    return nullptr;
}

// Through the cached statements rather than the driver, which prepares each one anew.
bool Db::beginTransaction()
{
    return execute(QStringLiteral("BEGIN"));
}

bool Db::commit()
{
    return execute(QStringLiteral("COMMIT"));
}

bool Db::rollback()
{
    return execute(QStringLiteral("ROLLBACK"));
}

bool Db::canBorrow(const QString& path)
{
    return t_keeper && t_keeper->isOpen() && t_keeper->path() == path;
}

bool OpenDb(Db& db, const QString& path)
{
    // A held catalogue is known to be there; a page of writes need not look for the file.
    if (!Db::canBorrow(path) && !util::FileExists(path))
        return false;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (db.open(path))
            return true;
    }
    util::TraceIfDebug(db.lastError().text());
    return false;
}

bool OpenCatalogue(Db& db)
{
    return OpenDb(db, config::settings().dbname);
}

KeepCatalogueOpen::KeepCatalogueOpen(const QString& path) : m_outer(t_keeper)
{
    // A keeper inside another of the same file borrows from it and changes nothing.
    if (OpenDb(m_db, path.isEmpty() ? config::settings().dbname : path) && !m_db.m_lender)
        t_keeper = &m_db;
}

KeepCatalogueOpen::~KeepCatalogueOpen()
{
    if (t_keeper == &m_db)
        t_keeper = m_outer;
}

Statement* OpenRs(Db& db, const QString& sql, const QVariantList& values)
{
    return db.select(sql, values);
}

} // namespace catalogue
