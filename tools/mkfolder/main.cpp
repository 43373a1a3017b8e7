// pelimond-mkfolder <folder>: writes the data files delivered in the program folder, the empty
// catalogue and the category file, into <folder>.
#include "catalogue/Schema.h"
#include "config/Categories.h"
#include "util/Text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <cstdio>

namespace {

// The library area's rows of the standard category list; the new-arrival rows are added by
// the program itself at its first start.
constexpr qsizetype kDeliveredCategories = 15;

bool writeCategoryFile(const QString& folder)
{
    QStringList lines;
    const QList<config::CategoryRecord> rows = config::StandardCategories();
    for (qsizetype i = 0; i < kDeliveredCategories && i < rows.size(); ++i)
        lines.append(config::CategoryLine(rows[i]));
    return text::WriteLines(folder + u'/' + config::kCategoryFile, lines);
}

// Built beside the target and renamed over it, so an interrupted run leaves the old file.
bool writeCatalogue(const QString& folder)
{
    const QString target = folder + u'/' + catalogue::kCatalogueFile;
    const QString fresh = target + QStringLiteral(".new");
    QFile::remove(fresh);
    if (!catalogue::CreateEmptyCatalogue(fresh, true))
        return false;
    QFile::remove(target);
    return QFile::rename(fresh, target);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: pelimond-mkfolder <folder>\n");
        return 2;
    }
    const QString folder = QDir(args[1]).absolutePath();
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "pelimond-mkfolder: cannot create %s\n", qPrintable(folder));
        return 1;
    }
    if (!writeCatalogue(folder) || !writeCategoryFile(folder)) {
        std::fprintf(stderr, "pelimond-mkfolder: cannot write the data files into %s\n",
                     qPrintable(folder));
        return 1;
    }
    return 0;
}
