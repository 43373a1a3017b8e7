#include "catalogue/CatalogueLock.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace catalogue {

namespace {

constexpr int kRetryMs = 25;

thread_local bool t_exclusive = false;

} // namespace

FileLock::~FileLock()
{
    unlock();
}

bool FileLock::lock(const QString& path, Mode mode, int waitMs, QString* error)
{
    unlock();
    const QByteArray name = QFile::encodeName(path);
    m_fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_fd < 0) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno)) + QStringLiteral(": ") + path;
        return false;
    }
    const int operation = (mode == Mode::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        if (::flock(m_fd, operation) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            break;
        if (deadline.hasExpired())
            break;
        QThread::msleep(kRetryMs);
    }
    if (error)
        *error = QStringLiteral("locked by another process: ") + path;
    unlock();
    return false;
}

void FileLock::unlock()
{
    if (m_fd < 0)
        return;
    ::close(m_fd); // closing the file releases its lock
    m_fd = -1;
}

QString CatalogueLockPath(const QString& catalogue)
{
    return catalogue + QStringLiteral(".lock");
}

QString UpdateLockPath(const QString& catalogue)
{
    return catalogue + QStringLiteral(".update.lock");
}

ExclusiveCatalogue::ExclusiveCatalogue(const QString& catalogue) : m_previous(t_exclusive)
{
    if (m_lock.lock(CatalogueLockPath(catalogue), FileLock::Mode::Exclusive, 0))
        t_exclusive = true;
}

ExclusiveCatalogue::~ExclusiveCatalogue()
{
    t_exclusive = m_previous;
}

bool ExclusiveCatalogue::heldInThisThread()
{
    return t_exclusive;
}

} // namespace catalogue
