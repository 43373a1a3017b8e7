#pragma once

#include <QString>
#include <QStringList>

namespace startup {

// What the arguments after the program name ask for.
enum class LaunchKind { Interactive, Download, Help, Version, BadOption };

struct CommandLine
{
    LaunchKind kind = LaunchKind::Interactive;
    // The arguments joined with single blanks: in the download mode the entry folder, which may
    // contain blanks and arrive split into several arguments.
    QString text;
};

// Only the first argument can be an option: a folder path never starts with "--", but a later
// piece of a split path may.
CommandLine ParseCommandLine(const QStringList& arguments);

// The arguments after the program name, decoded from the process's argv.
QStringList ArgumentsOf(int argc, char** argv);

// The text printed by --help, and to stderr after an unknown option.
QString UsageText();

// Prints the answer to --help, --version or an unknown option. True (with the process's exit
// code) when the command line asked for nothing else; false for the interactive and download modes.
bool AnswerOption(const CommandLine& commandLine, int* exitCode);

} // namespace startup
