#pragma once

#include <QString>
#include <QStringList>

namespace catalogue {

class Db;

// The catalogue file delivered in the program folder.
inline const QString kCatalogueFile = QStringLiteral("Pelimond.mdb");

// The columns of each table in their stored order (T_Softwares without Ranking, which an
// upgraded catalogue has last).
QStringList FolderColumns();
QStringList EntryColumns();

// Creates an empty catalogue at path with both tables and their keys, with or without the
// Ranking column (a catalogue from before the upgrade). Never replaces an existing file;
// false when path exists or the file cannot be made (nothing is left behind then).
bool CreateEmptyCatalogue(const QString& path, bool withRanking = true);

// The column names of a table as the open file has them; empty when the table is missing.
QStringList ColumnNames(Db& db, const QString& table);
// Adds Ranking to T_Softwares when it is missing. True when the column is there afterwards.
bool AddRankingColumn(Db& db);

} // namespace catalogue
