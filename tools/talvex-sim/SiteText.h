#pragma once

#include "talvex-sim/Rng.h"
#include "talvex-sim/SiteTypes.h"

#include <QDate>
#include <QString>
#include <QStringList>

// The words of the simulated site and the few ways its pages write text.
namespace talvexsim::sitetext {

struct NamedPath
{
    const char16_t* segment; // the folder's path segment
    const char16_t* name;    // its display name
};

// Vocabulary of folder names, sized for cycling with a numeric suffix.
QList<NamedPath> CategoryWords();    // second level of the library
QList<NamedPath> SubCategoryWords(); // third level of the library
QList<NamedPath> GenreWords();       // first level of the games
QList<NamedPath> SubGenreWords();    // second level of the games
QStringList EntityFolderNames();     // names holding & " ' < for folders without a list

QString PackageName(Rng& rng);
QString Version(Rng& rng);
QString ShortDescription(Rng& rng);
QStringList LongDescription(Rng& rng, const QString& name, quint32 traits);
QStringList PaymentLines(int typeCode);
QString OsType(const QString& platformSegment, int area);
Author MakeAuthor(int index);

// Text that a coverage pass adds when the random draw missed a case.
QString EntityName();        // holds & ' " < >
QString EntityDescription(); // holds & " < >
QString LiteralEntityText(); // holds a literal "&lt;", written double-escaped
QString SpecialCharText();   // holds ～ ① ＼ and half-width katakana

// The site's escaping of text: & < > " ' as entities.
QString Escape(QStringView text);
// Escape, with every space written as "&nbsp;".
QString EscapeNbsp(QStringView text);
// 1234567 → "1,234,567".
QString WithThousands(qint64 value);
QString TwoDigitDate(const QDate& date);  // "09.12.31"
QString FourDigitDate(const QDate& date); // "2009.12.31"

QString TypeName(int typeCode);
// The type icon's file name as the given layout writes it.
QString TypeIcon(int typeCode, ListLayout layout);

} // namespace talvexsim::sitetext
