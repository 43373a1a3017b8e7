#pragma once

#include "catalogue/Rows.h"

#include <QDate>
#include <QString>
#include <QStringView>
#include <optional>

// The software detail analysis: a package's detail page and its download page give the detail
// columns of its entry.
namespace update {

struct SoftwareDetail
{
    // From the detail page.
    QString FTPURL; // the archive's address (http as often as ftp)
    QString Category;
    QString DescriptionDetail;
    QString PaymentInfo; // terms of use and trial limits
    QString OSType;
    QString Author;
    QString AuthorURL;
    // The price in yen; nothing when the page names none, so the list price stays.
    std::optional<qint64> RegiMoney;
    // From the download page.
    qint64 FileSize2 = 0;            // bytes; 0 when not printed
    std::optional<QDate> RegistDate; // nothing = unknown (stored as Null)
    QString PaymentURL;
};

// The download page of a package whose detail page is targetUrl: the "/soft/" right after the
// host becomes "/soft/dl/", or "/games/soft/" becomes "/games/soft/dl/" for a games package.
// Empty when the address has neither form.
QString DownloadPageUrl(const QString& targetUrl);
// True for a download page address (one that the download page parser reads).
bool IsDownloadPageUrl(const QString& url);

// Fills the detail-page fields of detail from a detail page (the cached page's text, any line
// ends). Fields whose markers are missing stay empty. Always true.
bool AnalyzeSoftDetailEx(QStringView pageText, SoftwareDetail* detail);
// Fills the download-page fields of detail from a download page. Always true.
bool AnalyzeSoftDetailEx2(QStringView pageText, SoftwareDetail* detail);

// The text of the named column of an entry row (column names compare without regard to
// case), or an empty text when there is no row, the column is Null or unknown.
QString ReadSoftwareField(const std::optional<catalogue::EntryRow>& row, QStringView column);

} // namespace update
