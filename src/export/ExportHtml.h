#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringEncoder>
#include <QStringList>
#include <QStringView>
#include <optional>

namespace catalogue {
struct EntryRow;
}

// The texts of the exported pages. Every value taken from the catalogue or from a file name is
// passed through HtmlText before it goes into a page, and a page is turned into bytes by
// EncodePage, so no value can end a tag or an attribute early, and no character is lost to the
// code page.
namespace exportpages {

// The value with "&", "<", ">" and '"' written as character references.
QString HtmlText(QStringView value);
// Turns the parts of a page into code page 932; a character the code page cannot hold is
// written as a numeric character reference ("&#252;"), which a browser shows as that character.
// One encoder serves a whole page.
class PageEncoder
{
public:
    PageEncoder();
    QByteArray encode(QStringView text);

private:
    // Character by character, for text that holds a character the code page lacks.
    QByteArray encodeEach(QStringView text);

    std::optional<QStringEncoder> m_encoder;
    QHash<char32_t, QByteArray> m_known; // the bytes of each character met on the slow path
};

// A whole page at once (PageEncoder().encode(page)).
QByteArray EncodePage(QStringView page);

// The head every page starts with, one line each.
QStringList PageHeadLines();
// The frameset page for the chosen file whose name without extension is baseName.
QStringList FramesetLines(const QString& baseName);
// The table of one entry, followed by its "<hr>", one line each.
QStringList EntryTableLines(const catalogue::EntryRow& row);

} // namespace exportpages
