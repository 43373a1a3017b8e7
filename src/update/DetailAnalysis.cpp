#include "update/DetailAnalysis.h"

#include "config/Settings.h"
#include "update/HtmlText.h"

#include <functional>
#include <limits>
#include <utility>

namespace update {

namespace {

constexpr QStringView kDescriptionMarker = u"<!-- ソフト詳細説明 -->";
constexpr QStringView kPaymentInfoMarker = u"<!-- 利用条件・試用期間中の制限など -->";
constexpr QStringView kEnvironment = u"<!-- 動作環境 -->";
constexpr QStringView kEnvironmentEnd = u"<!-- /動作環境 -->";

// The first paragraph after a comment marker: its text between "<p>" and "</p>". One blank
// between the marker and the paragraph is skipped, so a "<p>" right after the marker counts.
std::optional<QString> paragraphAfter(QStringView page, QStringView marker)
{
    const qsizetype k = Find(page, marker);
    if (k < 0)
        return std::nullopt;
    qsizetype from = k + marker.size();
    if (from < page.size() && page[from] == u' ')
        ++from;
    const qsizetype p = Find(page, u"<p>", from);
    const qsizetype end = p < 0 ? -1 : Find(page, u"</p>", p + 3);
    if (end < 0)
        return std::nullopt;
    return Between(page, p + 3, end);
}

QString readDownloadAddress(QStringView page)
{
    const qsizetype meta = Find(page, u"META NAME=\"download");
    const qsizetype http = meta < 0 ? -1 : Find(page, u"http:", meta);
    const qsizetype quote = http < 0 ? -1 : Find(page, u"\"", http);
    return quote < 0 ? QString() : Between(page, http, quote);
}

QString readCategory(QStringView page)
{
    constexpr QStringView marker = u"<p id=\"v_directory\">";
    const qsizetype k = Find(page, marker);
    if (k < 0)
        return QString();
    const qsizetype gt = Find(page, u">", k + marker.size() + 1);
    const qsizetype start = gt < 0 ? -1 : gt + 1;
    const qsizetype lt = start < 0 ? -1 : Find(page, u"<", start);
    return lt > start ? DecodeEntities(Between(page, start, lt)) : QString();
}

QString readDescription(QStringView page)
{
    const std::optional<QString> paragraph = paragraphAfter(page, kDescriptionMarker);
    if (!paragraph)
        return QString();
    QString text = *paragraph;
    text.remove(u'\r');
    text.remove(u'\n');
    text.replace(QStringLiteral("<BR>"), QStringLiteral("\r\n"), Qt::CaseInsensitive);
    text.remove(QStringLiteral("<p class=\"intro\">"));
    text.remove(QStringLiteral("</p>"));
    // Tags go before entities are decoded, so escaped text such as "&lt;注意&gt;" stays.
    return TrimBlanks(DecodeEntities(StripTags(text)));
}

QString readPaymentInfo(QStringView page)
{
    std::optional<QString> paragraph = paragraphAfter(page, kPaymentInfoMarker);
    if (!paragraph)
        return QString();
    paragraph->remove(u'\n');
    return DecodeEntities(*paragraph);
}

QString readOsType(QStringView page)
{
    const qsizetype env = Find(page, kEnvironment, 0, Qt::CaseInsensitive);
    const qsizetype os = env < 0 ? -1 : Find(page, u"動作OS：", env);
    const qsizetype td = os < 0 ? -1 : Find(page, u"<td>", os);
    const qsizetype end = td < 0 ? -1 : Find(page, u"</td>", td + 4);
    return end < 0 ? QString() : TrimBlanks(Between(page, td + 4, end));
}

// The price is the run of digits and "," right before "円(税込)" (or the first "円"); it counts
// only inside the operating-environment block, elsewhere the package is taken as free.
std::optional<qint64> readPrice(QStringView page)
{
    qsizetype yen = Find(page, u"円(税込)");
    if (yen < 0)
        yen = Find(page, u"円");
    if (yen < 0)
        return std::nullopt;
    qsizetype start = yen;
    while (start > 0 && yen - start < 999 &&
           ((page[start - 1] >= u'0' && page[start - 1] <= u'9') || page[start - 1] == u','))
        --start;
    const qsizetype block = Find(page, kEnvironment, 0, Qt::CaseInsensitive);
    const qsizetype blockEnd =
        block < 0 ? -1 : Find(page, kEnvironmentEnd, block, Qt::CaseInsensitive);
    if (blockEnd < 0 || start < block || start >= blockEnd)
        return 0;
    return ReadGroupedNumber(Between(page, start, yen));
}

QString readAuthor(QStringView page)
{
    const qsizetype k = Find(page, u"作者情報");
    const qsizetype gt = k < 0 ? -1 : Find(page, u">", k);
    const qsizetype end = gt < 0 ? -1 : Find(page, u"</a>", gt + 1);
    if (end < 0)
        return QString();
    QString author = DecodeEntities(Between(page, gt + 1, end));
    author.remove(u'\t');
    author = TrimBlanks(author);
    const qsizetype nul = author.indexOf(QChar(0));
    return nul < 0 ? author : author.left(nul);
}

// The author's page: the quoted address holding "/person/", its leading "/" dropped.
QString readAuthorUrl(QStringView page)
{
    const qsizetype k = Find(page, u"/person/");
    const qsizetype quote = k < 0 ? -1 : FindLastBefore(page, u"\"", k);
    const qsizetype end = quote < 0 ? -1 : Find(page, u"\"", quote + 2);
    if (end < 0)
        return QString();
    return config::SiteRoot + DecodeEntities(Between(page, quote + 2, end));
}

QString readPaymentUrl(QStringView page)
{
    const QString prefix = QStringLiteral("https://") + config::PaymentHost +
                           QStringLiteral("/swreg/step1.reserve?srno=");
    const qsizetype start = Find(page, prefix);
    const qsizetype end = start < 0 ? -1 : Find(page, u"SITE=T\">", start, Qt::CaseInsensitive);
    return end < 0 ? QString() : DecodeEntities(Between(page, start, end + 6));
}

QString dateText(const QDateTime& when)
{
    if (!when.isValid())
        return QString();
    if (when.time() == QTime(0, 0))
        return when.toString(QStringLiteral("yyyy/MM/dd"));
    return when.toString(QStringLiteral("yyyy/MM/dd H:mm:ss"));
}

QString flagText(bool flag)
{
    return flag ? QStringLiteral("True") : QStringLiteral("False");
}

template <typename T> QString numberText(const std::optional<T>& n)
{
    return n ? QString::number(*n) : QString();
}

} // namespace

QString DownloadPageUrl(const QString& targetUrl)
{
    if (targetUrl.contains(u"/games/")) {
        const qsizetype i = targetUrl.indexOf(u"/games/soft/");
        if (i < 0)
            return QString();
        return targetUrl.left(i) + u"/games/soft/dl/" + targetUrl.mid(i + 12);
    }
    const qsizetype scheme = targetUrl.indexOf(u"://");
    const qsizetype path = targetUrl.indexOf(u'/', scheme < 0 ? 0 : scheme + 3);
    if (path < 0 || !QStringView(targetUrl).sliced(path).startsWith(u"/soft/"))
        return QString();
    return targetUrl.left(path) + u"/soft/dl/" + targetUrl.mid(path + 6);
}

bool IsDownloadPageUrl(const QString& url)
{
    return url.contains(u"/soft/dl/");
}

bool AnalyzeSoftDetailEx(QStringView pageText, SoftwareDetail* detail)
{
    const QString page = JoinLines(pageText);
    detail->FTPURL = readDownloadAddress(page);
    detail->Category = readCategory(page);
    detail->DescriptionDetail = readDescription(page);
    detail->PaymentInfo = readPaymentInfo(page);
    detail->OSType = readOsType(page);
    detail->RegiMoney = readPrice(page);
    detail->Author = readAuthor(page);
    detail->AuthorURL = readAuthorUrl(page);
    return true;
}

bool AnalyzeSoftDetailEx2(QStringView pageText, SoftwareDetail* detail)
{
    const QString page = JoinLines(pageText);
    // The size cell reads "1,234,567&nbsp;Bytes&nbsp;/&nbsp;2003.05.01".
    constexpr QStringView bytesMarker = u"Bytes&nbsp;/&nbsp;";
    detail->FileSize2 = 0;
    detail->RegistDate.reset();
    const qsizetype k = Find(page, u"Bytes");
    if (k >= 0) {
        const qsizetype nbsp = FindLastBefore(page, u"&nbsp;", k);
        const std::optional<qint64> size =
            nbsp < 0 ? std::nullopt : ReadGroupedNumber(Between(page, nbsp + 6, k));
        if (size && *size <= std::numeric_limits<qint32>::max())
            detail->FileSize2 = *size;
        const qsizetype start = k + bytesMarker.size();
        const qsizetype end = Find(page, u"</td>", start);
        if (end >= 0)
            detail->RegistDate = ReadDottedDate(Between(page, start, end));
    }
    detail->PaymentURL = readPaymentUrl(page);
    return true;
}

QString ReadSoftwareField(const std::optional<catalogue::EntryRow>& row, QStringView column)
{
    if (!row)
        return QString();
    const catalogue::EntryRow& r = *row;
    const std::pair<QStringView, std::function<QString()>> columns[] = {
        {u"BaseURL", [&] { return r.BaseURL; }},
        {u"TargetURL", [&] { return r.TargetURL; }},
        {u"SoftName", [&] { return r.SoftName; }},
        {u"Version", [&] { return r.Version; }},
        {u"FileSize", [&] { return numberText(r.FileSize); }},
        {u"FileSize2", [&] { return numberText(r.FileSize2); }},
        {u"FileType", [&] { return QString::number(r.FileType); }},
        {u"NewFlag", [&] { return QString::number(r.NewFlag); }},
        {u"PickUpURL", [&] { return r.PickUpURL; }},
        {u"NewsURL", [&] { return r.NewsURL; }},
        {u"Description", [&] { return r.Description; }},
        {u"RegiMoney", [&] { return QString::number(r.RegiMoney); }},
        {u"OpenDate", [&] { return r.OpenDate ? dateText(*r.OpenDate) : QString(); }},
        {u"RegistDate", [&] { return r.RegistDate ? dateText(*r.RegistDate) : QString(); }},
        {u"Ranking", [&] { return numberText(r.Ranking); }},
        {u"DetailRead", [&] { return flagText(r.DetailRead); }},
        {u"FTPURL", [&] { return r.FTPURL; }},
        {u"DescriptionDetail", [&] { return r.DescriptionDetail; }},
        {u"PaymentURL", [&] { return r.PaymentURL; }},
        {u"PaymentInfo", [&] { return r.PaymentInfo; }},
        {u"Author", [&] { return r.Author; }},
        {u"AuthorURL", [&] { return r.AuthorURL; }},
        {u"Category", [&] { return r.Category; }},
        {u"OSType", [&] { return r.OSType; }},
        {u"Favorites", [&] { return flagText(r.Favorites); }},
        {u"Search", [&] { return flagText(r.Search); }},
    };
    for (const auto& [name, value] : columns) {
        if (name.compare(column, Qt::CaseInsensitive) == 0)
            return value();
    }
    return QString();
}

} // namespace update
