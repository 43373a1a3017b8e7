#pragma once

#include <QString>
#include <functional>

namespace catalogue {

// The compaction's temporary file beside the catalogue: its path without the extension + ".TMP",
// or path + ".TMP" when the file name has no extension or that would name the catalogue itself.
QString CompactTempPath(const QString& catalogue);

enum class CompactResult { Compacted, InUse, Failed };

// Rewrites the catalogue into a fresh, tight file and puts that file in its place. Only the
// complete, verified output of this call ever replaces the catalogue, in one rename; on any
// failure the catalogue is left as it was, the temporary file is removed and, when Debug is 1,
// "最適化エラー(" + number + ")" is traced. The catalogue is compacted only while no other
// connection, in this process or another, has it open: otherwise nothing happens (InUse, traced).
// repaint (if given) is called before and after the steps so a progress window stays drawn.
CompactResult CompactCatalogue(const QString& catalogue, const std::function<void()>& repaint = {});
// True when the catalogue was compacted.
bool CompactDb(const QString& catalogue, const std::function<void()>& repaint = {});

// The message of a compaction that could not have the catalogue to itself.
QString CatalogueInUseText();

} // namespace catalogue
