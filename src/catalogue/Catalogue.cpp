#include "catalogue/Catalogue.h"

namespace catalogue {

bool UpgradeSchema()
{
    return false;
}

} // namespace catalogue
