#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace config {

struct SoftTypeRecord
{
    int Code = 0;
    QString Image; // classic list layout icon, e.g. "s_free2.gif"
    QString Name;
    int Color = 0;  // Windows colour value 0x00BBGGRR
    QString Image2; // LI list layout icon, e.g. "icon2_f.gif"
    QString Image3; // file_list layout icon, always derived from Image
};

enum class IconLayout { Classic, LI, FileList };

// The program-wide software type table, in key order (SoftType1 is entry 0).
QList<SoftTypeRecord>& SoftTypes();

// The seven first-run rows of section SoftType, in key order.
QStringList DefaultSoftTypeRows();

// Reads section SoftType of the settings file into SoftTypes. False when a Code or Color
// field is not a number (the entries completed before that key stay).
bool LoadSoftTypes();

// The first type whose icon of the given layout equals iconName exactly; 99 when none does.
int SoftTypeCodeOfIcon(QStringView iconName, IconLayout layout);
// The type with this code, or nullptr.
const SoftTypeRecord* FindSoftType(int code);

} // namespace config
