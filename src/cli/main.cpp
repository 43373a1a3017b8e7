#include "cli/CliCommands.h"
#include "config/Settings.h"
#include "startup/UserFolder.h"
#include "update/RunState.h"
#include "util/LocalTime.h"
#include "util/Messages.h"
#include "util/ProgramFolder.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

// The stderr sink, counting the stop messages: each one is a failure the exit status reports.
class CliMessages final : public msg::MessageSink
{
public:
    explicit CliMessages(bool yes) : m_sink(yes) {}
    msg::Answer show(const msg::Message& message) override
    {
        if (message.icon == msg::Icon::Stop)
            ++failures;
        return m_sink.show(message);
    }
    int failures = 0;

private:
    msg::StderrSink m_sink;
};

} // namespace

int main(int argc, char** argv)
{
    util::PinLocalTimeZone();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(config::kAppTitle);
    cli::Options options;
    QString error;
    if (!cli::ParseArguments(QCoreApplication::arguments().mid(1), &options, &error)) {
        std::fprintf(stderr, "%s\n%s", qUtf8Printable(error), qUtf8Printable(cli::UsageText()));
        return 2;
    }
    QTextStream out(stdout);
    if (options.words.value(0) == u"help") {
        out << cli::UsageText();
        return 0;
    }
    if (options.words.value(0) == u"version") {
        out << config::ProgramVersionText() << u'\n';
        return 0;
    }
    CliMessages messages(options.yes);
    msg::Install(&messages);
    // --folder wins; otherwise an installed copy works on the user's own program folder.
    if (!options.folder.isEmpty()) {
        programfolder::SetProgramFolder(options.folder);
    } else if (!startup::PrepareProgramFolder(QCoreApplication::applicationDirPath())) {
        msg::Install(nullptr);
        return 1;
    }
    update::runState().UpdateInProgress = false;
    config::LoadSettings();
    messages.failures = 0; // the first-run notice is not a failure of the command
    cli::InstallInterruptHandler();
    int status = cli::RunCommand(options, out);
    out.flush();
    msg::Install(nullptr);
    if (status == 0 && messages.failures > 0)
        status = 1;
    return status;
}
