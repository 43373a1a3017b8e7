// The category analysis of a folder's page, in each of the site's three areas.
#include "FuzzSupport.h"
#include "config/Settings.h"
#include "update/CategoryAnalysis.h"

namespace {

// Every folder is new to the run, so each one found is to be walked.
class NoCatalogue final : public update::FolderWriter
{
public:
    std::optional<bool> saveFolder(const update::FolderRecord&) override { return false; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString page = fuzz::Cp932(data, size);
    NoCatalogue writer;
    for (int area = 0; area < int(config::AreaPaths.size()); ++area) {
        if (!page.contains(config::AreaPaths[area]))
            continue; // no link into the area
        const update::CategoryContext ctx{config::SiteRoot + config::AreaPaths[area], area,
                                          config::AreaUrls[area], 7};
        const update::CategoryAnalysis result = update::AnalyzeHTML(page, ctx, writer);
        fuzz::Require(result.foundFolders == ctx.foundFolders + result.children.size(),
                      "the found-folder counter counts the folders to walk");
        fuzz::Require(result.children.size() <= result.folders.size(),
                      "every folder to walk is one of the folders written");
    }
    return 0;
}
