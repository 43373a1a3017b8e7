#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTextStream>

// The commands of pelimond-cli. Each returns the process exit status.
namespace cli {

struct Options
{
    bool yes = false;  // answer Yes to every question
    bool json = false; // list, detail and properties print JSON
    QString folder;    // program folder ("" = the folder of the executable)
    QStringList words; // the command and its arguments
    // The command's own options: "--name VALUE" (or "--name=VALUE") and plain "--flag".
    QHash<QString, QString> values;
    QSet<QString> flags;
};

// Parses the arguments after the program name; false (with a message in *error) when they are
// not a valid call.
bool ParseArguments(const QStringList& arguments, Options* options, QString* error);
QString UsageText();

// Runs the parsed command against the loaded settings.
int RunCommand(const Options& options, QTextStream& out);

// Makes the next SIGINT act as the update window's Cancel button (a second one ends at once).
void InstallInterruptHandler();

} // namespace cli
