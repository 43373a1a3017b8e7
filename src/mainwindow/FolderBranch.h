#pragma once

#include "catalogue/Rows.h"

#include <QList>
#include <QString>
#include <optional>

namespace mainwindow {

// The folders below key down to two levels below it, in TargetURL order so that every folder
// comes before those below it: the rows a folder tree adds when it shows or first expands the
// node key. The depth is counted from the area root key lies in (the current site area's root
// for a key in none). Nothing when the catalogue cannot be read; with Debug 1 the trace line
// "ツリービュー更新エラー(" + error number + ")" is written.
std::optional<QList<catalogue::FolderRow>> ReadFolderBranch(const QString& key);

} // namespace mainwindow
