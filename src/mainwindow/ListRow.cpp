#include "mainwindow/ListRow.h"

#include "config/Settings.h"
#include "config/SoftTypes.h"
#include "util/Text.h"

namespace mainwindow {

QString EntryMark(const catalogue::EntryRow& entry)
{
    QString mark = QStringLiteral("---");
    if (!entry.PickUpURL.isEmpty())
        mark[0] = u'P';
    if (!entry.NewsURL.isEmpty())
        mark[1] = u'R';
    if (entry.NewFlag == 1)
        mark[2] = u'N';
    return mark;
}

int ChooseIcon(const catalogue::EntryRow& entry)
{
    const config::Settings& s = config::settings();
    int icon = s.ChangeNormalIcon;
    if (entry.NewFlag == 1)
        icon = s.ChangeNewIcon;
    if (!entry.PickUpURL.isEmpty())
        icon = s.ChangePickUpIcon;
    if (!entry.NewsURL.isEmpty())
        icon = s.ChangeReviewIcon;
    return icon;
}

QString FormatSize(const std::optional<qint64>& size)
{
    if (!size || *size == 0)
        return QStringLiteral("---");
    return QString::number(*size).rightJustified(6, u' ');
}

QString FormatDate(const std::optional<QDateTime>& date)
{
    if (!date || !date->isValid())
        return QStringLiteral("----/--/--");
    const QDate d = date->date();
    if (d.year() < 0 || d.year() > 9999)
        return d.toString(u"yyyy/MM/dd");
    // Digit by digit: the list formats tens of thousands of dates per fill.
    const int fields[] = {d.year() / 100, d.year() % 100, -1, d.month(), -1, d.day()};
    QString text(10, u'/');
    qsizetype at = 0;
    for (int field : fields) {
        if (field < 0) {
            ++at;
            continue;
        }
        text[at++] = QChar(u'0' + field / 10);
        text[at++] = QChar(u'0' + field % 10);
    }
    return text;
}

QString FormatPrice(qint64 yen)
{
    if (yen == 0)
        return QStringLiteral(" ");
    return text::GroupedNumber(yen).rightJustified(7, u' ');
}

ListRow MakeListRow(const catalogue::EntryRow& entry)
{
    ListRow row;
    row.key = entry.TargetURL;
    row.base = entry.BaseURL;
    row.icon = ChooseIcon(entry);
    row.text[NameColumn] = entry.SoftName;
    row.text[VersionColumn] = entry.Version;
    row.text[SizeColumn] = FormatSize(entry.FileSize);
    row.text[DateColumn] = FormatDate(entry.OpenDate);
    if (const config::SoftTypeRecord* type = config::FindSoftType(entry.FileType)) {
        row.text[TypeColumn] = type->Name;
        row.color = type->Color;
    } else {
        row.text[TypeColumn] = QString::number(entry.FileType);
    }
    row.text[PriceColumn] = FormatPrice(entry.RegiMoney);
    row.text[DescriptionColumn] = entry.Description;
    row.text[MarkColumn] = EntryMark(entry);
    row.sizeKey = entry.FileSize ? *entry.FileSize : -1;
    row.priceKey = entry.RegiMoney;
    if (entry.OpenDate && entry.OpenDate->isValid()) {
        const QDate d = entry.OpenDate->date();
        row.dateKey = d.year() * 10000LL + d.month() * 100 + d.day();
    }
    return row;
}

} // namespace mainwindow
