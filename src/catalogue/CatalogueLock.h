#pragma once

#include <QString>

// The locks that keep the program's processes on one catalogue out of each other's way. They
// are advisory locks on small files beside the catalogue, so they are released by the system
// when a process ends, however it ends.
namespace catalogue {

class FileLock
{
public:
    enum class Mode { Shared, Exclusive };

    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Takes the lock on the file at path (made when missing), waiting at most waitMs while
    // another process holds it in the way. False when it could not be had; error says why.
    bool lock(const QString& path, Mode mode, int waitMs, QString* error = nullptr);
    void unlock();
    bool isLocked() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// Every open connection to a catalogue holds this lock shared; compaction, which puts a new
// file in the catalogue's place, needs it alone.
QString CatalogueLockPath(const QString& catalogue);
// An update run holds this one alone for its length: two runs never interleave on a catalogue.
QString UpdateLockPath(const QString& catalogue);

// How long an open waits for a compaction in another process to finish.
inline constexpr int kOpenLockWaitMs = 60000;

// While one lives in a thread, the catalogue lock of that thread's catalogue is held alone
// (compaction): the thread's own opens then take no shared lock of their own.
class ExclusiveCatalogue
{
public:
    // Tries to take the catalogue's lock alone, without waiting.
    explicit ExclusiveCatalogue(const QString& catalogue);
    ~ExclusiveCatalogue();
    ExclusiveCatalogue(const ExclusiveCatalogue&) = delete;
    ExclusiveCatalogue& operator=(const ExclusiveCatalogue&) = delete;

    bool isLocked() const { return m_lock.isLocked(); }
    // True in a thread that holds its catalogue alone.
    static bool heldInThisThread();

private:
    FileLock m_lock;
    bool m_previous = false;
};

} // namespace catalogue
