#pragma once

#include "catalogue/Rows.h"
#include "config/Settings.h"
#include "support/TestFolder.h"

#include <QList>
#include <QString>
#include <QStringList>

// A program folder with an empty catalogue, the settings the search reads and two software
// types; helpers that fill it and read the search marks back.
namespace fixture {

inline const QString kLibrary = config::SiteRoot + config::AreaPaths[0];
inline const QString kNewArrivals = config::SiteRoot + config::AreaPaths[1];
inline const QString kGames = config::SiteRoot + config::AreaPaths[2];

class SearchCatalogue
{
public:
    SearchCatalogue();

    QString path() const { return m_path; }
    // A folder below one of the three area roots, its depth taken from its URL.
    void addFolder(const QString& url, const QString& description) const;
    void addEntries(const QList<catalogue::EntryRow>& rows) const;
    void execute(const QString& sql) const;
    // The names of the marked entries, sorted.
    QStringList marked() const;

private:
    TestFolder m_folder;
    QString m_path;
};

// An entry of folder base named name (names are unique in the tests); its page is made from
// the name.
catalogue::EntryRow Entry(const QString& base, const QString& name);

} // namespace fixture
