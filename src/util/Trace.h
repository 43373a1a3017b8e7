#pragma once

#include <QString>

// The trace log "Trace.Log" in the program folder: one CP932 line per event.
namespace util {

// Appends "yyyy/mm/dd hh:mm:ss $ " + text + CR LF. Never fails visibly; always true.
bool WriteTrace(const QString& text);
// Writes the trace line only when the setting Debug is 1 (the usual case).
bool TraceIfDebug(const QString& text);

} // namespace util
