#include "site/EventPump.h"

#include "update/RunState.h"

#include <QCoreApplication>
#include <QTimer>

namespace site {

void PumpIfUpdating()
{
    if (update::runState().UpdateInProgress)
        QCoreApplication::processEvents();
}

QEventLoop::ProcessEventsFlags WaitFlags()
{
    if (update::runState().UpdateInProgress)
        return QEventLoop::AllEvents;
    return QEventLoop::ExcludeUserInputEvents;
}

namespace {

bool (*g_interruptProbe)() = nullptr;

} // namespace

void Pause(int ms)
{
    if (ms <= 0 || CancelRequested())
        return;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&loop] {
        if (CancelRequested())
            loop.quit();
    });
    poll.start(kCancelPollMs);
    loop.exec(WaitFlags());
}

bool CancelRequested()
{
    return update::runState().Cancel || (g_interruptProbe && g_interruptProbe());
}

void SetInterruptProbe(bool (*probe)())
{
    g_interruptProbe = probe;
}

} // namespace site
