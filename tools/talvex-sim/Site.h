#pragma once

#include "talvex-sim/SiteTypes.h"

#include <QHash>
#include <QList>
#include <QString>
#include <array>

namespace talvexsim {

class Rng;

// The whole simulated library site, generated from a seed and a scale. The same seed and scale
// always give the same site. Scale 1 holds about 300 packages; the package count grows linearly
// (about 300 × scale), so scale 70 gives some 20 000 and scale 340 some 100 000 packages;
// the scale is held to 1…1000 so that entry numbers keep six digits. A positive archiveBytes
// gives every archive that size instead of its generated one (benchmarks of large downloads);
// the pages print that size, and everything else stays as the seed and scale make it.
// Folders, packages and the list pages' order are kept in memory; the pages themselves are
// written on request (SitePages), and per-package detail text is derived on request too.
class Site
{
public:
    Site(quint64 seed, int scale, qint64 archiveBytes = 0);

    quint64 seed() const { return m_seed; }
    int scale() const { return m_scale; }

    const QList<Folder>& folders() const { return m_folders; }
    const QList<Package>& packages() const { return m_packages; }
    const Folder& folder(int index) const { return m_folders.at(index); }
    const Package& package(int index) const { return m_packages.at(index); }

    // The start page of an area: "download/", "tpack/whats/" or "games/lib/win/game/".
    int startFolder(int area) const { return m_start.at(area); }
    // The folder whose path below the site root is given ("tpack/filearea/win/"), or -1.
    int folderByPath(const QString& path) const { return m_folderByPath.value(path, -1); }
    // The package with the six-digit entry number, or -1.
    int packageById(int id) const { return m_packageById.value(id, -1); }
    int authorCount() const { return m_authorCount; }
    Author author(int index) const;

    // Entries per list page of the folder's layout; the classic layout puts all on one page.
    int pageSize(int folder) const;
    // List pages of the folder; 1 for a folder without a list or with an empty one.
    int pageCount(int folder) const;
    // The packages of one list page, in the page's order (page counts from 1).
    QList<int> pagePackages(int folder, ListOrder order, int page) const;
    // The folder's whole list in the given order.
    const QList<int>& orderedPackages(int folder, ListOrder order) const;
    // One list page as a correct list analysis reads it.
    QList<ListRow> listRows(int folder, ListOrder order, int page) const;
    // How the folder's layout shows the package at the given ranking.
    ListRow listRow(int folder, int package, int ranking) const;
    // The package's detail and download pages as a correct detail analysis reads them.
    Detail detail(int package) const;

    // folder URL + "index" / "by_date" / "by_name" + "_002"… + ".html"
    QString listPageUrl(int folder, ListOrder order, int page) const;
    static QString listPageName(ListOrder order, int page);
    // The detail page address with "/soft/" turned into "/soft/dl/".
    static QString downloadPageUrl(const QString& detailUrl);
    // The platform (library and new arrivals) or genre segment a folder or package lies under.
    QString platformSegment(int folder) const;
    // Rows over every list folder (a package listed under two folders counts twice).
    qsizetype listEntryCount() const;

private:
    int addFolder(int area, int parent, const QString& segment, const QString& name);
    void buildStartPages();
    void buildLibrary(Rng& rng);
    void buildLibraryPlatform(Rng& rng, int platform, double weight, bool small);
    void buildGames(Rng& rng);
    void buildNewArrivalFolders();
    void assignLayouts();
    void fillPackages(Rng& rng);
    void fillFolder(Rng& rng, int folder, int count);
    void makePackage(Rng& rng, int folder);
    void fillNewArrivals(Rng& rng);
    void ensureCoverage();
    void chooseStrapLinks(Rng& rng);
    void sortLists();
    void indexLookups();
    void setArchiveSizes(qint64 bytes);

    quint64 m_seed;
    int m_scale;
    QList<Folder> m_folders;
    QList<Package> m_packages;
    QList<QList<int>> m_byDate; // per folder
    QList<QList<int>> m_byName; // per folder
    std::array<int, 3> m_start{-1, -1, -1};
    QHash<QString, int> m_folderByPath;
    QHash<int, int> m_packageById;
    int m_nextId = 0;
    int m_authorCount = 10;
};

} // namespace talvexsim
