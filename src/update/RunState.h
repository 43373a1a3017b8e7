#pragma once

#include <QString>

// The small process-wide state an update run shares with the analysers and the windows.
namespace update {

struct RunState
{
    int CurrentArea = 0;           // site area 0 library, 1 new arrivals, 2 games
    QString UpdateTargetUrl;       // the folder at which an update run starts
    bool Cancel = false;           // set by the update window's Cancel, polled between steps
    int FoundFolders = 0;          // found-folder counter shown in the update window
    bool UpdateInProgress = false; // the fetcher pumps window events while set
};

RunState& runState();

} // namespace update
