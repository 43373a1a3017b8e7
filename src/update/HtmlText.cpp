#include "update/HtmlText.h"

#include <algorithm>
#include <array>

namespace update {

namespace {

struct Entity
{
    QStringView code;
    QStringView text;
};

// Tried at each position in this order; no code is a prefix of another.
const std::array<Entity, 12> kEntities{{{u"&quot;", u"\""},
                                        {u"&amp;", u"&"},
                                        {u"&gt;", u">"},
                                        {u"&lt;", u"<"},
                                        {u"<BR>", u"\r\n"},
                                        {u"<STRONG>", u""},
                                        {u"</STRONG>", u""},
                                        {u"<strong>", u""},
                                        {u"</strong>", u""},
                                        {u"&nbsp;", u" "},
                                        {u"&#39;", u"'"},
                                        {u"<br>", u"\r\n"}}};

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

std::optional<int> readPart(QStringView part)
{
    part = part.trimmed();
    if (part.isEmpty() || part.size() > 9)
        return std::nullopt;
    int value = 0;
    for (QChar c : part) {
        if (!isDigit(c))
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

} // namespace

qsizetype Find(QStringView text, QStringView what, qsizetype from, Qt::CaseSensitivity cs)
{
    if (from < 0 || from > text.size() || what.isEmpty())
        return -1;
    return text.indexOf(what, from, cs);
}

qsizetype FindLastBefore(QStringView text, QStringView what, qsizetype end)
{
    if (end <= 0 || what.isEmpty())
        return -1;
    const QStringView before = text.first(std::min(end, text.size()));
    if (before.size() < what.size())
        return -1;
    // The search starts where what last fits: from the view's end, Qt 6.4 compares a
    // one-character what with the character after the view and may find it there.
    return before.lastIndexOf(what, before.size() - what.size());
}

QString Between(QStringView text, qsizetype from, qsizetype to)
{
    from = std::clamp<qsizetype>(from, 0, text.size());
    to = std::clamp<qsizetype>(to, 0, text.size());
    if (to <= from)
        return QString();
    return text.sliced(from, to - from).toString();
}

QString JoinLines(QStringView page)
{
    QString joined;
    joined.reserve(page.size());
    for (qsizetype i = 0; i < page.size(); ++i) {
        if (page[i] == u'\r') {
            if (i + 1 < page.size() && page[i + 1] == u'\n')
                ++i;
            continue;
        }
        joined.append(page[i]);
    }
    return joined;
}

QString DecodeEntities(QStringView text)
{
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        bool replaced = false;
        if (c == u'&' || c == u'<') {
            const QStringView rest = text.sliced(i);
            for (const Entity& e : kEntities) {
                if (rest.startsWith(e.code)) {
                    out.append(e.text);
                    i += e.code.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) {
            out.append(c);
            ++i;
        }
    }
    return out;
}

QString StripTags(QStringView text)
{
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(u'<', i);
        const qsizetype close = open < 0 ? -1 : text.indexOf(u'>', open);
        if (close < 0) {
            out.append(text.sliced(i));
            break;
        }
        out.append(text.sliced(i, open - i));
        i = close + 1;
    }
    return out;
}

QString TrimBlanks(QStringView text)
{
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && blank(text[from]))
        ++from;
    while (to > from && blank(text[to - 1]))
        --to;
    return text.sliced(from, to - from).toString();
}

std::optional<qint64> ReadGroupedNumber(QStringView text)
{
    text = text.trimmed();
    if (text.isEmpty() || !isDigit(text.front()))
        return std::nullopt;
    qint64 value = 0;
    int digits = 0;
    for (QChar c : text) {
        if (c == u',')
            continue;
        if (!isDigit(c) || ++digits > 18)
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

std::optional<QDate> ReadDottedDate(QStringView text)
{
    const QList<QStringView> parts = text.split(u'.');
    if (parts.size() != 3)
        return std::nullopt;
    std::optional<int> year = readPart(parts[0]);
    const std::optional<int> month = readPart(parts[1]);
    const std::optional<int> day = readPart(parts[2]);
    if (!year || !month || !day)
        return std::nullopt;
    if (*year < 100)
        *year += *year > 30 ? 1900 : 2000;
    const QDate date(*year, *month, *day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace update
