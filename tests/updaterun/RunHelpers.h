#pragma once

#include "catalogue/Rows.h"
#include "talvex-sim/SiteTypes.h"
#include "update/UpdateRun.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// What a run reported, in order; onStatus may act on a status line (to cancel, say).
class RecordingRun : public update::RunObserver
{
public:
    void folderStarted(const QString& folderUrl) override { folders.append(folderUrl); }
    void statusText(const QString& text) override
    {
        statuses.append(text);
        if (onStatus)
            onStatus(text);
    }
    void progressText(const QString& text) override { progress.append(text); }
    void foundFolder(int total) override { found.append(total); }

    QStringList folders;
    QStringList statuses;
    QStringList progress;
    QList<int> found;
    std::function<void(const QString&)> onStatus;
};

// Catalogue reads of the test's catalogue.
QList<catalogue::EntryRow> entriesOf(const QString& folderUrl);
std::optional<catalogue::FolderRow> folderRow(const QString& url);
std::optional<catalogue::EntryRow> entryRow(const QString& base, const QString& target);
void saveFolder(const catalogue::FolderRow& row);
void saveEntry(const catalogue::EntryRow& row);

// The first folder of the simulated site that meets the test.
const talvexsim::Folder* findSiteFolder(const std::function<bool(const talvexsim::Folder&)>& test);
// Every address the simulated site was asked for since the test began.
QStringList requestedUrls();
// A loopback port that nobody listens on.
quint16 closedPort();
