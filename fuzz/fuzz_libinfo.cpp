// The library information file "LIBINFO.TXT" that the download process reads back.
#include "FuzzSupport.h"
#include "download/LibInfo.h"

#include <QDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString folder = fuzz::ScratchProgramFolder() + QStringLiteral("/DOWNLOAD/Entry");
    static const bool made = QDir().mkpath(folder);
    fuzz::Require(made, "the entry folder is made");
    fuzz::WriteScratchFile(QStringLiteral("DOWNLOAD/Entry/") + download::kLibInfoFile, data, size);
    // The folder as the download command hands it over: a stored path.
    download::LibInfo info;
    if (!download::ReadLibInfo(QStringLiteral(".\\DOWNLOAD\\Entry\\"), &info))
        return 0;
    fuzz::Require(info.folder == folder, "the entry folder is found", info.folder);
    fuzz::Require(info.expectedSize >= 0, "a size is never negative");
    if (!info.localFile.isEmpty()) {
        const QString name = info.localFile.mid(folder.size() + 1);
        fuzz::Require(info.localFile.startsWith(folder + u'/') && !name.contains(u'/') &&
                          name != u"." && name != u"..",
                      "the archive lands in the entry folder", info.localFile);
    }
    return 0;
}
