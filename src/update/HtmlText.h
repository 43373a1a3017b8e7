#pragma once

#include <QDate>
#include <QString>
#include <QStringView>
#include <optional>

// Text helpers shared by the page analysers. The analysers read the site's markup with plain
// substring searches; these helpers make every search and cut safe at the edges of the text:
// a position of -1 means "not found", and no helper reads outside the text.
namespace update {

// The first occurrence of what at or after from; -1 when there is none or from lies outside
// the text.
qsizetype Find(QStringView text, QStringView what, qsizetype from = 0,
               Qt::CaseSensitivity cs = Qt::CaseSensitive);
// The last occurrence of what lying wholly before end; -1 when there is none.
qsizetype FindLastBefore(QStringView text, QStringView what, qsizetype end);
// The characters from from up to (not including) to, clamped to the text; empty when to does
// not lie after from.
QString Between(QStringView text, qsizetype from, qsizetype to);

// A cached page's lines joined with nothing between them: CR LF and lone CR vanish, a lone LF
// stays (the games list markup relies on it).
QString JoinLines(QStringView page);

// Decodes the site's entities and inline tags in one pass, so every entity of the page is
// decoded exactly once ("&amp;lt;" gives "&lt;"): &quot; &amp; &gt; &lt; &nbsp; &#39;, "<BR>"
// and "<br>" become CR LF, "<STRONG>" "</STRONG>" "<strong>" "</strong>" vanish.
QString DecodeEntities(QStringView text);
// Deletes every tag: each "<" through the next ">". A "<" with no ">" after it is kept.
QString StripTags(QStringView text);

// Blanks (space, tab, CR, LF) removed from both ends; other spaces, such as the ideographic
// space, are text.
QString TrimBlanks(QStringView text);

// A whole number printed with optional "," separators ("1,234,567"), blanks around it allowed.
std::optional<qint64> ReadGroupedNumber(QStringView text);
// A date printed as year.month.day. A year below 100 is read as the site's two-digit years:
// above 30 is 19xx, otherwise 20xx; a longer year stands as printed. Nothing when the text is not
// three numbers or not a real date.
std::optional<QDate> ReadDottedDate(QStringView text);

} // namespace update
