#pragma once

#include <QString>

class QWidget;

namespace util {

// Sets the field's enabled state and its background (base colour when enabled, the
// button-face colour when disabled). Always true.
bool SetFieldEnabled(QWidget* field, bool enabled);
// The file-open dialog; the chosen path, or "" on cancel. filter is "name|*.ext|…" or Qt form.
QString ChooseOpenFile(QWidget* owner, const QString& filter, const QString& initialFile);
// The file-save dialog with an overwrite prompt; the chosen path, or "" on cancel.
QString ChooseSaveFile(QWidget* owner, const QString& filter, const QString& initialFile);
// The folder-browse dialog titled "フォルダを選択してください"; the folder, or "" on cancel.
QString BrowseFolder(QWidget* owner);

} // namespace util
