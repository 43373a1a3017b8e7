#pragma once

#include "catalogue/Rows.h"

#include <QString>
#include <QStringView>

// The addresses of a software entry that the main window's commands open, copy or hand on: the
// ones the list row already tells, the ones only its detail page tells (read on demand), and
// the two of the member service.
namespace info {

// The addresses of the single selected entry, recorded when the selection changes.
struct CurrentEntry
{
    QString page;         // TargetURL
    QString downloadPage; // its download page
    QString pickUp;       // PickUpURL
    QString news;         // NewsURL
};

// The current entry record of a catalogue row.
CurrentEntry RecordCurrentEntry(const catalogue::EntryRow& row);

// The entry a lookup works on: the list's selected item.
struct SelectedEntry
{
    QString base;   // BaseURL
    QString target; // TargetURL
    QString name;   // the text of its first column
};

// What a lookup tells the window while it reads a detail page.
class LookupObserver
{
public:
    virtual ~LookupObserver() = default;
    // The status bar's first panel; "" clears it.
    virtual void statusText(const QString& text) = 0;
    // True while the lookup works (the wait cursor), false when it is done.
    virtual void waiting(bool on) = 0;
};

// Address kinds of GetEntryAddress.
enum AddressKind {
    EntryPage = 0,
    DownloadPage = 1,
    AuthorPage = 2,
    PaymentPage = 3,
    PickUpPage = 4,
    NewsPage = 5,
    ArchiveFile = 6,
};

// The column of the entry's row, reading its detail page (without force) when the column is
// still empty. When it stays empty the user is told that the label could not be read, and ""
// is returned. observer may be nullptr.
QString GetDetailField(const SelectedEntry& entry, QStringView column, const QString& label,
                       LookupObserver* observer);

// The address of the selected entry by kind: the entry's page, download page, pick-up and news
// pages from current, the author page, payment page and archive file through GetDetailField;
// "" for any other kind, and for a detail address that stays empty.
QString GetEntryAddress(const CurrentEntry& current, const SelectedEntry& entry, int kind,
                        LookupObserver* observer);

// The entry number of an entry page: its last path segment without every "se" and ".html".
QString MemberEntryNumber(const QString& targetUrl);
// Kind 0: the member service's page that adds the entry to the user's download list; kind 1:
// its mail form recommending the entry to a friend (with the UserName and Email settings);
// "" for any other kind.
QString GetMemberServiceAddress(const SelectedEntry& entry, int kind);

} // namespace info
