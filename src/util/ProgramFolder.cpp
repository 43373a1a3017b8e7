#include "util/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace programfolder {

namespace {

QString& overrideFolder()
{
    static QString folder;
    return folder;
}

} // namespace

QString FindEntry(const QString& dir, const QString& name)
{
    if (QFileInfo::exists(dir + u'/' + name))
        return name;
    const QStringList entries =
        QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return {};
}

QString ProgramFolder()
{
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    return QCoreApplication::applicationDirPath();
}

void SetProgramFolder(const QString& folder)
{
    QString f = ToSlashes(folder);
    while (f.size() > 1 && f.endsWith(u'/'))
        f.chop(1);
    overrideFolder() = f;
}

QString ToSlashes(QString path)
{
    return path.replace(u'\\', u'/');
}

QString FindPath(const QString& path)
{
    const QString wanted = ToSlashes(path);
    if (QFileInfo::exists(wanted))
        return wanted;
    const QString root = ProgramFolder();
    if (!wanted.startsWith(root + u'/') || wanted.contains(u"/../"))
        return wanted;
    // Resolve as many leading components as exist; the rest stays as given.
    QString found = root;
    const QStringList parts = wanted.mid(root.size() + 1).split(u'/', Qt::SkipEmptyParts);
    bool matching = true;
    for (const QString& part : parts) {
        const QString entry = matching ? FindEntry(found, part) : QString();
        matching = !entry.isEmpty();
        found += u'/' + (matching ? entry : part);
    }
    return found;
}

QString InProgramFolder(const QString& name)
{
    return FindPath(ProgramFolder() + u'/' + ToSlashes(name));
}

} // namespace programfolder
