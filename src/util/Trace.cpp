#include "util/Trace.h"

#include "config/Settings.h"
#include "util/ProgramFolder.h"
#include "util/Text.h"

#include <QDateTime>

namespace util {

bool WriteTrace(const QString& text)
{
    const QString line =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) +
        QStringLiteral(" $ ") + text;
    // Opened and closed for every line, so each line is on disk even if the program dies.
    text::AppendLine(programfolder::InProgramFolder(QStringLiteral("Trace.Log")), line);
    return true;
}

bool TraceIfDebug(const QString& text)
{
    if (config::settings().Debug == 1)
        WriteTrace(text);
    return true;
}

} // namespace util
