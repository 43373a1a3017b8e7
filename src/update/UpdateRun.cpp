#include "update/UpdateRun.h"

// Placeholder bodies until the update run lands; callers already compile against the API.
namespace update {

bool UpdateFolder(RunObserver*, const QString&, bool, bool)
{
    return false;
}

bool AnalyzeStart(RunObserver*, const QString&, bool)
{
    return false;
}

bool CheckConnection()
{
    return true;
}

bool RunUpdateWindow(RunObserver*, const QString&)
{
    return false;
}

} // namespace update
