#pragma once

#include "catalogue/Rows.h"
#include "support/TestFolder.h"

#include <QString>
#include <QVariantList>

namespace talvexsim {
class Site;
class SimServerThread;
struct Package;
} // namespace talvexsim

// The simulated site of the whole run, reached through the proxy setting.
const talvexsim::Site& simSite();
talvexsim::SimServerThread& simServer();
int requestsFor(const QString& url);

inline const QString kLibrary = QStringLiteral("http://www.talvex.example/tpack/filearea/");

// A program folder with an empty catalogue, the first-run software types and the settings the
// property windows read: offline, the simulated site as proxy for reads that are forced.
class InfoProgram
{
public:
    InfoProgram();
    ~InfoProgram();
    InfoProgram(const InfoProgram&) = delete;
    InfoProgram& operator=(const InfoProgram&) = delete;

    const TestFolder& folder() const { return m_folder; }
    void addFolder(const QString& url, const QString& updateDate = QString()) const;
    void addEntries(const QList<catalogue::EntryRow>& rows) const;
    catalogue::EntryRow entry(const QString& base, const QString& target) const;
    void execute(const QString& sql, const QVariantList& values = {}) const;

private:
    TestFolder m_folder;
};

catalogue::EntryRow Entry(const QString& base, const QString& target, const QString& name = {});
// The first library package of the simulated site with a fee, an archive and an author page,
// listed without its details.
catalogue::EntryRow RichEntry(const talvexsim::Package** package = nullptr);
