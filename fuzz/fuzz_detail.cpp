// The detail analysis of a package's detail page and of its download page.
#include "FuzzSupport.h"
#include "update/DetailAnalysis.h"

#include <limits>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString page = fuzz::Cp932(data, size);
    update::SoftwareDetail detail;
    update::AnalyzeSoftDetailEx(page, &detail);
    update::AnalyzeSoftDetailEx2(page, &detail);
    fuzz::Require(detail.FileSize2 >= 0 && detail.FileSize2 <= std::numeric_limits<qint32>::max(),
                  "the archive size fits its column", QString::number(detail.FileSize2));
    fuzz::Require(!detail.RegistDate || detail.RegistDate->isValid(), "a date read is a real date");
    fuzz::Require(!detail.RegiMoney || *detail.RegiMoney >= 0, "a price is never negative");
    return 0;
}
