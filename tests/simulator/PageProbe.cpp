#include "PageProbe.h"

#include "config/Settings.h"
#include "util/Text.h"

using talvexsim::ListLayout;

namespace probe {

namespace {

struct Markers
{
    QString page;
    QString start;
    QString end;
};

Markers markersOf(ListLayout layout)
{
    switch (layout) {
    case ListLayout::FileList:
        return {QStringLiteral("<ul  class=\"file_list\">"), QStringLiteral("<A HREF=\""),
                QStringLiteral("      </LI>")};
    case ListLayout::LI:
        return {QStringLiteral("<LI>\n  <A HREF=\""), QStringLiteral("<LI>\n  <A HREF=\""),
                QStringLiteral("</FONT>\n  </LI>")};
    case ListLayout::Classic:
        break;
    }
    return {QStringLiteral("<IMG SRC=\"/images/soft"), QStringLiteral("<IMG SRC=\"/images/soft"),
            QStringLiteral("<HR size=1>")};
}

QString upTo(const QString& text, qsizetype from, QChar stop)
{
    const qsizetype e = text.indexOf(stop, from);
    return from < 0 || e < 0 ? QString() : text.mid(from, e - from);
}

} // namespace

QString Joined(const QString& page)
{
    return text::SplitLines(page).join(QString());
}

std::optional<ListLayout> LayoutOf(const QString& joined)
{
    for (ListLayout l : {ListLayout::FileList, ListLayout::LI, ListLayout::Classic}) {
        if (joined.contains(markersOf(l).page))
            return l;
    }
    return std::nullopt;
}

QStringList Entries(const QString& joined, ListLayout layout, qsizetype* end)
{
    const Markers m = markersOf(layout);
    QStringList entries;
    qsizetype pos = joined.indexOf(m.page);
    while (pos >= 0) {
        const qsizetype s = joined.indexOf(m.start, pos);
        const qsizetype e = s < 0 ? -1 : joined.indexOf(m.end, s);
        if (e < 0)
            break;
        entries.append(joined.mid(s, e - s));
        pos = e + m.end.size();
    }
    if (end)
        *end = pos;
    return entries;
}

QString TargetPath(const QString& entry, ListLayout layout)
{
    const QString href = QStringLiteral("<A HREF=\"");
    if (layout == ListLayout::Classic) {
        const qsizetype a = entry.indexOf(u"<STRONG>");
        return upTo(entry, entry.lastIndexOf(href, a) + href.size(), u'"');
    }
    return upTo(entry, entry.indexOf(href) + href.size(), u'"');
}

QString Icon(const QString& entry, ListLayout layout)
{
    // Offsets counted from the name link's "</A>" (file_list 37, LI 36) or from the entry's
    // start (classic: the 24th character).
    const qsizetype b = entry.indexOf(u"</A>");
    switch (layout) {
    case ListLayout::FileList:
        return b < 0 ? QString() : upTo(entry, b + 37, u'"');
    case ListLayout::LI:
        return b < 0 ? QString() : upTo(entry, b + 36, u'"');
    case ListLayout::Classic:
        break;
    }
    return upTo(entry, 23, u'"');
}

int Size(const QString& entry, ListLayout layout)
{
    const QString nbsp = QStringLiteral("&nbsp;");
    const qsizetype font = entry.indexOf(u"<FONT SIZE=");
    if (layout == ListLayout::Classic) {
        const qsizetype a = font < 0 ? -1 : entry.indexOf(u'(', font);
        const qsizetype b = a < 0 ? -1 : entry.indexOf(u"K)", a);
        return b < 0 ? -1 : entry.mid(a + 1, b - a - 1).toInt();
    }
    // The description ends at the first "&nbsp;" after "<BR>" (file_list) or at "<FONT SIZE="
    // (LI); the size follows the next "&nbsp;" after the date, or after that end.
    const qsizetype br = entry.indexOf(u"<BR>");
    qsizetype from = layout == ListLayout::LI ? font : entry.indexOf(nbsp, br);
    const qsizetype date = from < 0 ? -1 : entry.indexOf(u"公開", from);
    if (date >= 0)
        from = date;
    const qsizetype a = from < 0 ? -1 : entry.indexOf(nbsp, from);
    if (a < 0)
        return -1;
    const qsizetype k = entry.indexOf(u'K', a);
    QString number = entry.mid(a + nbsp.size(), k - a - nbsp.size());
    if (number.startsWith(u'('))
        number.remove(0, 1);
    bool ok = false;
    const int kb = number.toInt(&ok);
    const bool ended = k >= 0 && (entry.mid(k, 2) == u"K)" || entry.mid(k, 7) == u"K&nbsp;");
    return ok && ended ? kb : -1;
}

bool HasNextPage(const QString& joined, ListLayout layout, qsizetype end)
{
    switch (layout) {
    case ListLayout::LI:
        return joined.indexOf(u"&gt;&gt;次の", end) >= 0;
    case ListLayout::FileList: {
        const QString rest = joined.mid(end);
        const qsizetype nav = rest.indexOf(u"<!-- /ページナビ -->");
        const qsizetype div = nav < 0 ? -1 : rest.lastIndexOf(u"</div>", nav);
        return div >= 9 && rest.mid(div - 9, 4) == u"</a>";
    }
    case ListLayout::Classic:
        break;
    }
    return false;
}

QList<Link> CategoryLinks(const QString& page, const QString& folderUrl, const QString& rootPath)
{
    QList<Link> links;
    for (const QString& line : text::SplitLines(page)) {
        qsizetype marker = line.indexOf(config::CommentStrap);
        if (marker < 0)
            marker = line.size();
        qsizetype pos = 0;
        qsizetype p = 0;
        while ((p = line.indexOf(rootPath, pos)) >= 0 && p < marker) {
            QString url = config::SiteRoot + upTo(line, p, u'"');
            url.remove(QStringLiteral("index.html"));
            const qsizetype start = line.indexOf(u'>', p) + 1;
            qsizetype end = line.indexOf(u"</A>", p, Qt::CaseInsensitive);
            if (end < 0)
                end = line.size();
            QString text = line.mid(start, end - start);
            text.remove(QStringLiteral("<STRONG>"), Qt::CaseInsensitive);
            text.remove(QStringLiteral("</STRONG>"), Qt::CaseInsensitive);
            pos = end + 1;
            if (!text.toUpper().contains(u"<IMG SRC") && url.size() > folderUrl.size())
                links.append({url, Decode(text)});
        }
    }
    return links;
}

QString Decode(const QString& html)
{
    static const std::pair<QString, QString> kEntities[] = {
        {QStringLiteral("&amp;"), QStringLiteral("&")},
        {QStringLiteral("&lt;"), QStringLiteral("<")},
        {QStringLiteral("&gt;"), QStringLiteral(">")},
        {QStringLiteral("&quot;"), QStringLiteral("\"")},
        {QStringLiteral("&#39;"), QStringLiteral("'")},
        {QStringLiteral("&nbsp;"), QStringLiteral(" ")},
    };
    QString out;
    for (qsizetype i = 0; i < html.size();) {
        bool replaced = false;
        for (const auto& [entity, text] : kEntities) {
            if (QStringView(html).mid(i).startsWith(entity)) {
                out += text;
                i += entity.size();
                replaced = true;
                break;
            }
        }
        if (!replaced)
            out += html.at(i++);
    }
    return out;
}

} // namespace probe
