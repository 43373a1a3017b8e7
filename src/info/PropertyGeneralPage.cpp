#include "info/PropertyGeneralPage.h"

#include "catalogue/Rows.h"
#include "config/SoftTypes.h"
#include "resources/Icons.h"
#include "util/Text.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace info {

namespace {

// "Category (OSType)"; "" when both are empty.
QString CategoryText(const QString& category, const QString& osType)
{
    const QString text = category + QStringLiteral(" (") + osType + u')';
    return text == u" ()" ? QString() : text;
}

// The name of the software type with the code; the code itself when no type has it.
QString SoftTypeText(int fileType)
{
    if (const config::SoftTypeRecord* type = config::FindSoftType(fileType))
        return type->Name;
    return QString::number(fileType);
}

// "2 KB (2,048 バイト)"; a missing size counts as 0.
QString SizeText(const std::optional<qint64>& kb, const std::optional<qint64>& bytes)
{
    return text::GroupedNumber(kb.value_or(0)) + QStringLiteral(" KB (") +
           text::GroupedNumber(bytes.value_or(0)) + QStringLiteral(" バイト)");
}

// "yyyy/mm/dd"; "----/--/--" without a date.
QString DayText(const std::optional<QDateTime>& when)
{
    if (!when || !when->isValid())
        return QStringLiteral("----/--/--");
    return when->toString(QStringLiteral("yyyy/MM/dd"));
}

} // namespace

PropertyGeneralPage::PropertyGeneralPage(QWidget* parent) : PropertyPage(parent)
{
    setObjectName(QStringLiteral("pictab_0"));

    // The entry's picture and its name, as a file's property sheet heads its first page.
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("img_icon"));
    icon->setPixmap(resources::ListIcon(0).pixmap(32, 32));
    icon->setFixedSize(40, 32);
    QLineEdit* title = makeLine(0, true);
    grid()->addWidget(icon, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    grid()->addWidget(title, 0, 1, 1, 2);
    addSeparator();

    addRow(QStringLiteral("バージョン:"), makeLine(1));
    addTextRow(QStringLiteral("ソフト説明:"), makeText(2, 3));
    addRow(QStringLiteral("カテゴリー:"), makeLine(15));
    addRow(QStringLiteral("タイプ:"), makeLine(3));
    addRow(QStringLiteral("サイズ:"), makeLine(4));
    addSeparator();
    addRow(QStringLiteral("登録日:"), makeLine(5));
    addRow(QStringLiteral("公開日:"), makeLine(16));
    addSeparator();
    // Each box before its button, so Tab reaches them in reading order.
    QLineEdit* place = makeLine(6, true);
    addRow(QStringLiteral("場所:"), place, makeLink(0, QStringLiteral("ブラウザで開く(&B)"), 6));
    QLineEdit* file = makeLine(7, true);
    addRow(QStringLiteral("ファイル:"), file, makeLink(1, QStringLiteral("ダウンロード(&D)"), 7));
    addStretch();
}

void PropertyGeneralPage::fill(const catalogue::EntryRow& row)
{
    setBoxText(0, row.SoftName);
    setBoxText(1, row.Version);
    setBoxText(2, row.Description);
    setBoxText(3, SoftTypeText(row.FileType));
    setBoxText(4, SizeText(row.FileSize, row.FileSize2));
    setBoxText(5, DayText(row.RegistDate));
    setBoxText(6, row.TargetURL);
    setBoxText(7, row.FTPURL);
    setBoxText(15, CategoryText(row.Category, row.OSType));
    setBoxText(16, DayText(row.OpenDate));
}

} // namespace info
