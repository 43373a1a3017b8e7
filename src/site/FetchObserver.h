#pragma once

#include <QtGlobal>

// How a page fetch reports its progress to the windows. The windows install an observer that
// knows which of them is active and what it shows; the fetcher never looks a window up.
namespace site {

class FetchObserver
{
public:
    virtual ~FetchObserver() = default;

    // Called after every read of the body with the bytes read so far (the main window or the
    // update window show total + "バイト読み込み済み" in panel 2 of the status bar).
    virtual void bytesRead(qint64 total) = 0;
    // Called once when a fetch whose URL opened ends, well or not (clear panel 2).
    virtual void finished() = 0;
    // True while the download window is the active one: each read then writes the trace line
    // "ReadTotal = " + total, whatever the Debug setting.
    virtual bool tracesReadTotal() const { return false; }
};

// Installs the observer (nullptr = none) and returns the one it replaces. Not owned.
FetchObserver* SetFetchObserver(FetchObserver* observer);
FetchObserver* fetchObserver();

} // namespace site
