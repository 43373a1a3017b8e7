#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <optional>

namespace catalogue {

// A row of T_Folders: one category page of the site.
struct FolderRow
{
    QString TargetURL;    // absolute URL ending in "/", the row's key
    QString Description;  // display name
    int URLClass = 0;     // depth below the area root; 1 for a first-level category
    QDateTime UpdateDate; // last write; an invalid value is Null
    bool UpdateFlg = false;
};

// A row of T_Softwares: one package as listed under one folder, keyed by (BaseURL, TargetURL).
// Text columns never hold Null (an empty text is stored instead); the optional members are the
// columns that may be Null.
struct EntryRow
{
    QString BaseURL;
    QString TargetURL;
    QString SoftName;
    QString Version;
    std::optional<qint64> FileSize;  // KB from the list page; -1 is written as Null
    std::optional<qint64> FileSize2; // bytes from the package page; -1 is written as Null
    int FileType = 99;               // software type code, 99 = unknown
    int NewFlag = 0;
    QString PickUpURL;
    QString NewsURL;
    QString Description;
    qint64 RegiMoney = 0;                // yen
    std::optional<QDateTime> OpenDate;   // 1900-01-01 and invalid dates are written as Null
    std::optional<QDateTime> RegistDate; // likewise
    bool DetailRead = false;
    QString FTPURL;
    QString DescriptionDetail;
    QString PaymentURL;
    QString PaymentInfo;
    QString Author;
    QString AuthorURL;
    QString Category;
    QString OSType;
    bool Favorites = false;
    bool Search = false;
    std::optional<int> Ranking; // Null in rows written before the column existed
};

} // namespace catalogue

// Every member moves by its bytes, so a growing list of rows need not move them one by one.
Q_DECLARE_TYPEINFO(catalogue::EntryRow, Q_RELOCATABLE_TYPE);

namespace catalogue {

// Dates are stored as local "yyyy-MM-dd HH:mm:ss" text, so text order is date order.
QString ToDbDate(const QDateTime& when);
// The stored text as a date; an invalid QDateTime for Null or unreadable text.
QDateTime FromDbDate(const QVariant& value);
// The value bound for a nullable date column: Null for an invalid date and for the unknown
// date 1900-01-01.
QVariant DateOrNull(const std::optional<QDateTime>& when);
QVariant DateOrNull(const QDateTime& when);
// The value bound for a nullable size column: Null for nothing and for the unknown size -1.
QVariant SizeOrNull(const std::optional<qint64>& size);

} // namespace catalogue
