#pragma once

#include <QString>

namespace mainwindow {

// An entry as the list's commands carry it: the row key of T_Softwares.
struct EntryKey
{
    QString base;   // BaseURL
    QString target; // TargetURL
};

} // namespace mainwindow
