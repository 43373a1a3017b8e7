#pragma once

#include <QSqlError>
#include <QString>
#include <QVariant>
#include <QVariantList>

class QSqlDatabase;
struct sqlite3;
struct sqlite3_stmt;

namespace catalogue {

// One prepared statement on the catalogue's SQLite connection, used directly rather than
// through QSqlQuery: reading a large folder through Qt SQL spends most of its time making a
// QVariant of every value, and a page of writes most of its time binding through them.
class Statement
{
public:
    Statement(sqlite3* connection, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool isValid() const { return m_stmt != nullptr; }
    // Binds the values in order and runs the statement up to its first row (or its end);
    // false when it failed, lastError() then tells why.
    bool exec(const QVariantList& values);
    // Moves to the next row; the first call after exec gives exec's first row.
    bool next();
    // Ends the run so the statement holds no lock and can run again.
    void finish();
    // Rows the last write changed.
    int numRowsAffected() const;

    int columnCount() const;
    QString columnName(int column) const;
    // The values of the current row.
    bool isNull(int column) const;
    QString text(int column) const; // a null QString for Null
    qint64 number(int column) const;
    QVariant value(int column) const;

    QSqlError lastError() const { return m_error; }

private:
    bool bind(int position, const QVariant& value);
    bool step();
    bool fail();

    sqlite3* m_connection = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    QSqlError m_error;
    bool m_hasRow = false;
    bool m_pending = false; // exec's first row has not been handed out by next()
};

// The SQLite connection behind a QSQLITE database; nullptr when it is not open or when the
// driver does not use the same SQLite library as the program.
sqlite3* NativeConnection(const QSqlDatabase& db);

} // namespace catalogue
