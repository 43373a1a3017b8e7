#include "info/PropertyOtherPage.h"

#include "catalogue/Rows.h"

#include <QLineEdit>
#include <QPushButton>

namespace info {

PropertyOtherPage::PropertyOtherPage(QWidget* parent) : PropertyPage(parent)
{
    setObjectName(QStringLiteral("pictab_3"));
    // Each box before its button, so Tab reaches them in reading order.
    QLineEdit* pickUp = makeLine(17, true);
    addRow(QStringLiteral("ピックアップ:"), pickUp,
           makeLink(4, QStringLiteral("ブラウザで開く(&B)"), 17));
    QLineEdit* news = makeLine(18, true);
    addRow(QStringLiteral("NEWS記事:"), news,
           makeLink(5, QStringLiteral("ブラウザで開く(&B)"), 18));
    addStretch();
}

void PropertyOtherPage::fill(const catalogue::EntryRow& row)
{
    setBoxText(17, row.PickUpURL);
    setBoxText(18, row.NewsURL);
}

} // namespace info
