#include "catalogue/PageTransaction.h"

namespace catalogue {

PageTransaction::PageTransaction(const QString& path)
{
    m_open = OpenDb(m_db, path) && m_db.beginTransaction();
    if (!m_open) {
        m_error = m_db.lastError();
        m_db.close();
    }
}

PageTransaction::~PageTransaction()
{
    rollback();
}

bool PageTransaction::commit()
{
    if (!m_open)
        return false;
    const bool done = m_db.commit();
    if (!done) {
        m_error = m_db.lastError();
        m_db.rollback();
    }
    m_open = false;
    m_db.close();
    return done;
}

void PageTransaction::rollback()
{
    if (!m_open)
        return;
    m_db.rollback();
    m_open = false;
    m_db.close();
}

} // namespace catalogue
