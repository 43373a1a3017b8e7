#include "export/ExportHtml.h"

#include "catalogue/Rows.h"
#include "config/Settings.h"
#include "config/SoftTypes.h"
#include "export/PageExport.h"
#include "util/Text.h"

namespace exportpages {

namespace {

constexpr QChar kQuote = u'"';
const QString kRowStart = QStringLiteral("<tr><td colspan=\"4\">");

// '"' + value + '"', the value escaped.
QString Quoted(QStringView value)
{
    return kQuote + HtmlText(value) + kQuote;
}

// A review, news or payment cell: the linked mark when the entry has the address, else a spacer.
QString MarkCell(const QString& url, QStringView image)
{
    if (url.isEmpty()) {
        return QStringLiteral("<td><img src=\"./spacer.gif\" width=\"46\" height=\"16\"><br></td>");
    }
    return QStringLiteral("<td><a href=") + Quoted(url) +
           QStringLiteral(" target=\"main\"><img src=\"") + image +
           QStringLiteral("\" border=\"0\"></a><br></td>");
}

// The type's icon and name; a code missing from the table shows as the unknown type.
void TypeIconAndName(int code, QString* image, QString* name)
{
    const config::SoftTypeRecord* type = config::FindSoftType(code);
    if (!type)
        type = config::FindSoftType(99);
    *image = type ? type->Image : QStringLiteral("s_unknown.gif");
    *name = type ? type->Name : QString();
}

} // namespace

QString HtmlText(QStringView value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case u'&':
            out += QStringLiteral("&amp;");
            break;
        case u'<':
            out += QStringLiteral("&lt;");
            break;
        case u'>':
            out += QStringLiteral("&gt;");
            break;
        case u'"':
            out += QStringLiteral("&quot;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

PageEncoder::PageEncoder()
{
    m_encoder.emplace("windows-31j");
}

QByteArray PageEncoder::encode(QStringView text)
{
    QByteArray bytes = m_encoder->encode(text);
    if (!m_encoder->hasError())
        return bytes;
    // A converter that met an unmappable character goes on reporting the error: a new one for
    // the text after this.
    m_encoder.emplace("windows-31j");
    return encodeEach(text);
}

QByteArray PageEncoder::encodeEach(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            bytes += char(c.unicode());
            ++i;
            continue;
        }
        const qsizetype step = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QStringView one = text.mid(i, step);
        i += step;
        const char32_t code = step == 2 ? QChar::surrogateToUcs4(one[0], one[1]) : c.unicode();
        auto it = m_known.constFind(code);
        if (it == m_known.constEnd()) {
            QStringEncoder encoder("windows-31j");
            QByteArray encoded = encoder.encode(one);
            if (encoder.hasError())
                encoded = "&#" + QByteArray::number(quint32(code)) + ';';
            it = m_known.insert(code, encoded);
        }
        bytes += *it;
    }
    return bytes;
}

QByteArray EncodePage(QStringView page)
{
    return PageEncoder().encode(page);
}

QStringList PageHeadLines()
{
    return {
        QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">"),
        QStringLiteral("<html><head>"),
        QStringLiteral("<basefont size=\"2\">"),
        QStringLiteral(
            "<META HTTP-EQUIV=\"content-type\" CONTENT=\"text/html; charset=Shift_JIS\">"),
        QStringLiteral("<META name=\"GENERATOR\" content=\"") + config::ProgramVersionText() +
            QStringLiteral(" for Windows\">"),
        QStringLiteral("<style type=\"text/css\">"),
        QStringLiteral("<!--"),
        QStringLiteral("a {text-decoration:none;}"),
        QStringLiteral("a:hover {text-decoration:underline; color:#000070;}"),
        QStringLiteral("table { font-size: x-small  }"),
        QStringLiteral("-->"),
        QStringLiteral("</style>"),
        QStringLiteral("<title>Pelimond ライブラリメニュー</title>"),
        QStringLiteral("</head>"),
    };
}

QStringList FramesetLines(const QString& baseName)
{
    const QString menu =
        QStringLiteral("./") + HtmlText(baseName) + QStringLiteral("_files/menu.html");
    QStringList lines = PageHeadLines();
    lines += {
        QStringLiteral("<frameset cols=\"230,*\">"),
        QStringLiteral("<frame src=\"") + menu +
            QStringLiteral("\" Name=\"menu\" MARGINWIDTH=0 MARGINHEIGHT=4 FRAMEBORDER=1>"),
        QStringLiteral("<frame src=") + Quoted(SiteMapUrl()) +
            QStringLiteral(" Name=\"main\" MARGINWIDTH=0 MARGINHEIGHT=4 FRAMEBORDER=1>"),
        QStringLiteral("</frameset>"),
        QStringLiteral("<noframes><body>"),
        QStringLiteral("フレーム未対応のブラウザをご使用の方は<a href=\"") + menu +
            QStringLiteral("\">ここをクリック</a><br></body>"),
        QStringLiteral("</noframes>"),
        QStringLiteral("</html>"),
    };
    return lines;
}

QStringList EntryTableLines(const catalogue::EntryRow& row)
{
    QString title = kRowStart + QStringLiteral("■<a href =") + Quoted(row.TargetURL) +
                    QStringLiteral(" target=\"main\"><b>") + HtmlText(row.SoftName);
    if (!row.Version.isEmpty())
        title +=
            QStringLiteral("</b>&nbsp;") + HtmlText(row.Version) + QStringLiteral("</a></td></tr>");
    else
        title += QStringLiteral("</b></a></td></tr>");

    const QString date = row.OpenDate && row.OpenDate->isValid()
                             ? row.OpenDate->toString(QStringLiteral("yyyy/MM/dd"))
                             : QString();

    QString description = kRowStart + QStringLiteral("<font color=\"green\">") +
                          HtmlText(row.Description) + QStringLiteral("</font>");
    if (row.FileSize)
        description +=
            QStringLiteral("&nbsp;(") + text::GroupedNumber(*row.FileSize) + QStringLiteral("K)");
    if (row.RegiMoney == 0)
        description += QStringLiteral("<br></td></tr>");
    else
        description += QStringLiteral("&nbsp;(") + text::GroupedNumber(row.RegiMoney) +
                       QStringLiteral("円)<br></td></tr>");

    QString image;
    QString typeName;
    TypeIconAndName(row.FileType, &image, &typeName);

    return {
        QStringLiteral("<table border=\"0\" width=184 colspan=0>"),
        title,
        kRowStart.chopped(1) + QStringLiteral(">公開日:") + date + QStringLiteral("<br></td></tr>"),
        description,
        QStringLiteral("<tr>"),
        QStringLiteral("<td><img src=") + Quoted(image) + QStringLiteral(" alt=") +
            Quoted(typeName) + QStringLiteral(" width=\"46\" height=\"16\"></td>"),
        MarkCell(row.PickUpURL, u"./pickup.gif"),
        MarkCell(row.NewsURL, u"./news.gif"),
        MarkCell(row.PaymentURL, u"./regi.gif"),
        QStringLiteral("</table>"),
        QStringLiteral("<hr>"),
    };
}

} // namespace exportpages
