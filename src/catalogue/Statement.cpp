#include "catalogue/Statement.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <sqlite3.h>

namespace catalogue {

Statement::Statement(sqlite3* connection, const QString& sql) : m_connection(connection)
{
    if (!connection) {
        m_error =
            QSqlError(QString(), QStringLiteral("catalogue not open"), QSqlError::ConnectionError);
        return;
    }
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(connection, text.constData(), int(text.size()), &m_stmt, nullptr) !=
        SQLITE_OK) {
        fail();
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

bool Statement::fail()
{
    const int code = sqlite3_extended_errcode(m_connection);
    m_error = QSqlError(QString(), QString::fromUtf8(sqlite3_errmsg(m_connection)),
                        QSqlError::StatementError, QString::number(code));
    return false;
}

bool Statement::bind(int position, const QVariant& value)
{
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, position);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            rc = sqlite3_bind_int64(m_stmt, position, value.toLongLong());
            break;
        case QMetaType::Double:
            rc = sqlite3_bind_double(m_stmt, position, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob64(m_stmt, position, bytes.constData(),
                                     sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray text = value.toString().toUtf8();
            rc = sqlite3_bind_text64(m_stmt, position, text.constData(),
                                     sqlite3_uint64(text.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
        }
        }
    }
    return rc == SQLITE_OK || fail();
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    m_hasRow = rc == SQLITE_ROW;
    if (rc == SQLITE_ROW || rc == SQLITE_DONE)
        return true;
    fail();
    sqlite3_reset(m_stmt);
    return false;
}

bool Statement::exec(const QVariantList& values)
{
    if (!m_stmt)
        return false;
    sqlite3_reset(m_stmt);
    m_pending = false;
    m_hasRow = false;
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (!bind(int(i) + 1, values[i]))
            return false;
    }
    if (!step())
        return false;
    m_pending = m_hasRow;
    return true;
}

bool Statement::next()
{
    if (m_pending) {
        m_pending = false;
        return true;
    }
    if (!m_hasRow)
        return false;
    return step() && m_hasRow;
}

void Statement::finish()
{
    if (!m_stmt)
        return;
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    m_hasRow = m_pending = false;
}

int Statement::numRowsAffected() const
{
    return sqlite3_changes(m_connection);
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

QString Statement::text(int column) const
{
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return bytes ? QString::fromUtf8(bytes, sqlite3_column_bytes(m_stmt, column)) : QString();
}

qint64 Statement::number(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

QVariant Statement::value(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return number(column);
    case SQLITE_FLOAT:
        return sqlite3_column_double(m_stmt, column);
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(m_stmt, column)),
                          sqlite3_column_bytes(m_stmt, column));
    default:
        return text(column);
    }
}

sqlite3* NativeConnection(const QSqlDatabase& db)
{
    if (!db.isOpen())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    sqlite3* connection = *static_cast<sqlite3* const*>(handle.constData());
    // A driver built with its own copy of SQLite hands out connections of that copy, which this
    // library must not touch; the same version is the sign of the same shared library.
    static const bool sameLibrary = [&db] {
        QSqlQuery version(db);
        return version.exec(QStringLiteral("SELECT sqlite_version()")) && version.next() &&
               version.value(0).toString() == QLatin1String(sqlite3_libversion());
    }();
    return sameLibrary ? connection : nullptr;
}

} // namespace catalogue
