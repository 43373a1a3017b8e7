#include "site/FetchObserver.h"

namespace site {

namespace {
FetchObserver*& installed()
{
    static FetchObserver* observer = nullptr;
    return observer;
}
} // namespace

FetchObserver* SetFetchObserver(FetchObserver* observer)
{
    FetchObserver* previous = installed();
    installed() = observer;
    return previous;
}

FetchObserver* fetchObserver()
{
    return installed();
}

} // namespace site
