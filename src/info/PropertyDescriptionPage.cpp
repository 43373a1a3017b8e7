#include "info/PropertyDescriptionPage.h"

#include "catalogue/Rows.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace info {

PropertyDescriptionPage::PropertyDescriptionPage(QWidget* parent) : PropertyPage(parent)
{
    setObjectName(QStringLiteral("pictab_1"));
    addRow(QStringLiteral("ソフト名:"), makeLine(8, true));
    addTextRow(QStringLiteral("詳細説明:"), makeText(9, 14, true), true);
}

void PropertyDescriptionPage::fill(const catalogue::EntryRow& row)
{
    setBoxText(8, row.SoftName);
    setBoxText(9, row.DescriptionDetail);
}

} // namespace info
