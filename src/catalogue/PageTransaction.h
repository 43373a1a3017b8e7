#pragma once

#include "catalogue/Db.h"

#include <QString>

namespace catalogue {

// The catalogue opened for the writes of one list page: one transaction, the find and save
// statements prepared once and reused for every entry of the page. Rolled back unless
// committed.
class PageTransaction
{
public:
    // Opens the catalogue at path (OpenDb) and begins the transaction.
    explicit PageTransaction(const QString& path);
    ~PageTransaction();
    PageTransaction(const PageTransaction&) = delete;
    PageTransaction& operator=(const PageTransaction&) = delete;

    // False when the catalogue could not be opened or the transaction not begun.
    bool isOpen() const { return m_open; }
    // The open catalogue for FindEntry / SaveEntry and the other statements.
    Db& db() { return m_db; }
    // Commits the page and closes the catalogue; false (rolled back) when the commit fails.
    bool commit();
    // Discards the page's writes and closes the catalogue.
    void rollback();
    // Why the open, the transaction or the commit failed (the rollback after a failed commit
    // does not hide it).
    QSqlError lastError() const
    {
        return m_error.type() != QSqlError::NoError ? m_error : m_db.lastError();
    }

private:
    Db m_db;
    QSqlError m_error;
    bool m_open = false;
};

} // namespace catalogue
