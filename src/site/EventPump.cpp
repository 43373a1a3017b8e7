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

void Pause(int ms)
{
    if (ms <= 0)
        return;
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(WaitFlags());
}

} // namespace site
