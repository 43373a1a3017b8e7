#include "catalogue/Catalogue.h"

#include "catalogue/Schema.h"

namespace catalogue {

bool UpgradeSchema()
{
    // Looks before it alters, so the starts after the first neither write nor fail.
    Db db;
    if (OpenCatalogue(db))
        AddRankingColumn(db);
    return false;
}

} // namespace catalogue
