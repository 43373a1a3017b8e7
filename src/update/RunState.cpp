#include "update/RunState.h"

#include "config/Settings.h"
#include "util/Messages.h"
#include "util/Trace.h"

namespace update {

RunState& runState()
{
    static RunState state;
    return state;
}

namespace {

// The first write failure of a run is told; the run stops there.
void stopForWrite(const QString& error, const QString& text)
{
    RunState& state = runState();
    util::TraceIfDebug(QStringLiteral("書き込みエラー(") + error + u')');
    if (!state.WriteError.isEmpty())
        return;
    state.WriteError = error.isEmpty() ? QStringLiteral("unknown error") : error;
    msg::Show(text + QStringLiteral("\r\n\r\nディスクの空き容量と、ファイルに書き込めるかを確認"
                                    "してください。処理を中止します。"),
              QStringLiteral("書き込みエラー"), msg::Icon::Stop);
}

} // namespace

void ReportWriteFailure(const QString& error)
{
    stopForWrite(error, QStringLiteral("カタログ ") + config::settings().dbname +
                            QStringLiteral(" に書き込めませんでした。\r\n") +
                            (error.isEmpty() ? QStringLiteral("unknown error") : error));
}

void ReportCacheWriteFailure(const QString& path)
{
    stopForWrite(QStringLiteral("cannot write ") + path,
                 QStringLiteral("キャッシュファイル ") + path +
                     QStringLiteral(" に書き込めませんでした。"));
}

} // namespace update
