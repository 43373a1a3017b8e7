#include "startup/StepGuard.h"

#include "util/Trace.h"

namespace startup {

void TraceStepError(const QString& error)
{
    util::TraceIfDebug(QStringLiteral("Sub Main エラー(") + error + u')');
}

} // namespace startup
