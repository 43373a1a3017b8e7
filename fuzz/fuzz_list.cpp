// The software list analysis of a list page, whichever layout the page is written in.
#include "FuzzSupport.h"
#include "config/Settings.h"
#include "config/SoftTypes.h"
#include "update/AnalysisObserver.h"
#include "update/ListAnalysis.h"

namespace {

class PercentCheck final : public update::AnalysisObserver
{
public:
    void percentAnalysed(int percent) override
    {
        fuzz::Require(percent >= 0 && percent <= 100, "the analysed share is a percentage",
                      QString::number(percent));
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The first-run software types, so that the entries' icons name real types.
    fuzz::ScratchProgramFolder();
    config::WriteDefaultSettings();
    config::LoadSoftTypes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString folder = config::SiteRoot + QStringLiteral("tpack/filearea/win/util/");
    PercentCheck observer;
    const update::SoftListPage result =
        update::AnalyzeSoftList(fuzz::Cp932(data, size), folder, 2, 0, &observer);
    fuzz::Require(result.nextPage == -1 || result.nextPage == 3, "the next page follows page 2");
    for (qsizetype i = 0; i < result.entries.size(); ++i) {
        const update::SoftListEntry& entry = result.entries[i];
        fuzz::Require(entry.Ranking == i + 1, "entries are ranked 1, 2, ... in page order");
        fuzz::Require(entry.TargetURL.startsWith(config::SiteRoot),
                      "an entry's package page lies on the site", entry.TargetURL);
    }
    return 0;
}
