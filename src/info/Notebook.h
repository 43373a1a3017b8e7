#pragma once

#include <QString>
#include <array>
#include <optional>

// The user's notebook of one software entry: five related addresses and a free comment, kept
// in a file of its own in the folder ADDINFO of the program folder.
namespace info {

struct Notebook
{
    std::array<QString, 5> urls;
    QString comment; // lines joined by "\n"

    bool isEmpty() const;
};

// The file name of the entry's notebook: TargetURL without SiteRoot, every "/" turned into "_"
// and every ".html" into ".dat" ("soft_win_util_se123456.dat"). "" when that gives no name the
// folder can hold safely: empty, "." or "..", a backslash or control character, or longer than
// a file name may be.
QString NotebookFileName(const QString& targetUrl);
// ADDINFO/<name> in the program folder; "" when there is no safe name.
QString NotebookPath(const QString& targetUrl);

// The entry's notebook; nothing when it has no file (or no safe name). Lines 1 to 5 are the
// addresses, the rest the comment. Files are CP932; one that starts with the UTF-8 byte order
// mark is UTF-8 (written so when the text holds characters CP932 cannot).
std::optional<Notebook> LoadNotebook(const QString& targetUrl);

// Writes the notebook anew (temporary file and rename, so a crash never leaves it half
// written), or deletes its file when all six fields are empty. False, with a message for the
// user in *error, when notes are to be kept under a refused name or the file cannot be written
// or deleted; nothing on disk changes then.
bool SaveNotebook(const QString& targetUrl, const Notebook& notebook, QString* error);

} // namespace info
