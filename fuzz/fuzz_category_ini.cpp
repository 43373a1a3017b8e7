// The category definitions file "CATEGORY.INI": one "name@@URL@@flag" row a line.
#include "FuzzSupport.h"
#include "config/Categories.h"
#include "config/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::WriteScratchFile(config::kCategoryFile, data, size);
    config::LoadCategories();
    const QList<config::CategoryRecord>& table = config::Categories();
    fuzz::Require(!table.isEmpty() && table[0].Name.isEmpty() && table[0].URL.isEmpty(),
                  "entry 0 of the table is the empty one");
    // A row read from the file writes back as a line that reads as the same row.
    for (qsizetype i = 1; i < table.size(); ++i) {
        const QString line = config::CategoryLine(table[i]);
        const QStringList fields = line.split(QStringLiteral("@@"));
        fuzz::Require(fields.size() == 3 && fields[0] == table[i].Name &&
                          fields[1] == table[i].URL && fields[2] == (table[i].Fetch ? u"1" : u"0"),
                      "a category row survives its own line", line);
    }
    config::IsCategoryFetched(config::SiteRoot + QStringLiteral("tpack/filearea/win/util/"));
    return 0;
}
