#pragma once

#include <QString>
#include <exception>

namespace startup {

// Writes the start-up error line "Sub Main エラー(" + error + ")" when Debug is 1.
void TraceStepError(const QString& error);

// Runs one step of the start-up sequence. Start-up is never aborted by an error: an exception
// the step raises is traced and the sequence goes on with its next step. False after an error.
template <typename Step> bool RunStep(Step&& step)
{
    try {
        step();
        return true;
    } catch (const std::exception& e) {
        TraceStepError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        TraceStepError(QStringLiteral("不明なエラー"));
    }
    return false;
}

} // namespace startup
