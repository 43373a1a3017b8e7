#include "info/Notebook.h"

#include "config/Settings.h"
#include "util/FileUtil.h"
#include "util/ProgramFolder.h"
#include "util/Text.h"

#include <QFile>

namespace info {

namespace {

const QString kFolder = QStringLiteral("ADDINFO");
constexpr qsizetype kMaxNameBytes = 255; // the limit of common file systems
const QByteArray kUtf8Mark = QByteArrayLiteral("\xEF\xBB\xBF");

bool SafeName(const QString& name)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    for (QChar c : name) {
        if (c == u'\\' || c == u'/' || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return QFile::encodeName(name).size() <= kMaxNameBytes;
}

// CP932 when every character survives the trip, else UTF-8 behind its byte order mark.
QByteArray Encode(const QString& text)
{
    if (text::FitsCp932(text))
        return text::EncodeCp932(text);
    return kUtf8Mark + text.toUtf8();
}

QString Decode(const QByteArray& bytes)
{
    if (bytes.startsWith(kUtf8Mark))
        return QString::fromUtf8(bytes.mid(kUtf8Mark.size()));
    return text::DecodeCp932(bytes);
}

// An address box holds one line: a line break would shift every line after it.
QString OneLine(QString text)
{
    return text.replace(u'\r', u' ').replace(u'\n', u' ');
}

} // namespace

bool Notebook::isEmpty() const
{
    for (const QString& url : urls) {
        if (!url.isEmpty())
            return false;
    }
    return comment.isEmpty();
}

QString NotebookFileName(const QString& targetUrl)
{
    QString name = targetUrl;
    if (name.startsWith(config::SiteRoot))
        name.remove(0, config::SiteRoot.size());
    name.replace(u'/', u'_');
    name.replace(QStringLiteral(".html"), QStringLiteral(".dat"));
    return SafeName(name) ? name : QString();
}

QString NotebookPath(const QString& targetUrl)
{
    const QString name = NotebookFileName(targetUrl);
    if (name.isEmpty())
        return {};
    return programfolder::InProgramFolder(kFolder) + u'/' + name;
}

std::optional<Notebook> LoadNotebook(const QString& targetUrl)
{
    const QString path = NotebookPath(targetUrl);
    QByteArray bytes;
    if (path.isEmpty() || !text::ReadFileBytes(path, &bytes))
        return std::nullopt;
    const QStringList lines = text::SplitLines(Decode(bytes));
    Notebook notebook;
    for (qsizetype i = 0; i < qsizetype(notebook.urls.size()); ++i)
        notebook.urls[std::size_t(i)] = lines.value(i);
    notebook.comment = lines.mid(qsizetype(notebook.urls.size())).join(u'\n');
    return notebook;
}

bool SaveNotebook(const QString& targetUrl, const Notebook& notebook, QString* error)
{
    const QString path = NotebookPath(targetUrl);
    if (path.isEmpty()) {
        // Without a name there is no file to delete either.
        if (notebook.isEmpty())
            return true;
        *error = QStringLiteral("このライブラリのアドレスからは追加情報のファイル名を作れません。");
        return false;
    }
    if (notebook.isEmpty()) {
        if (!QFile::exists(path) || QFile::remove(path))
            return true;
        *error = QStringLiteral("追加情報のファイルを削除できませんでした。\r\n") + path;
        return false;
    }
    QString content;
    for (const QString& url : notebook.urls)
        content += OneLine(url) + text::kCrLf;
    QString comment = notebook.comment;
    comment.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    content += comment.replace(u'\n', text::kCrLf.toString()) + text::kCrLf;
    util::MakeFolders(programfolder::InProgramFolder(kFolder));
    if (text::WriteFileAtomic(path, Encode(content)))
        return true;
    *error = QStringLiteral("追加情報のファイルを書き込めませんでした。\r\n") + path;
    return false;
}

} // namespace info
