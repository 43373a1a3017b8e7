#include "info/PropertyAuthorPage.h"

#include "catalogue/Rows.h"
#include "util/Text.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace info {

namespace {

const QStringList kNote{
    QStringLiteral("カルナ・ソルテの支払い手続きは、"),
    QStringLiteral("上のボタンで開く支払いページがそのソフトで合っているか"),
    QStringLiteral("よく確認してから行ってください。"),
    QStringLiteral("もし、間違って登録されても本ソフトは責任を負えません。"),
};

} // namespace

PropertyAuthorPage::PropertyAuthorPage(QWidget* parent)
    : PropertyPage(parent), m_note(new QLabel(this))
{
    setObjectName(QStringLiteral("pictab_2"));
    addRow(QStringLiteral("作者:"), makeLine(10));
    // Each box before its button, so Tab reaches them in reading order.
    QLineEdit* authorPage = makeLine(14, true);
    addRow(QString(), authorPage, makeLink(2, QStringLiteral("作者ページを開く(&A)"), 14));
    addSeparator();
    addRow(QStringLiteral("レジ料金:"), makeLine(11));
    QLineEdit* payment = makeLine(12, true);
    addRow(QStringLiteral("レジURL:"), payment,
           makeLink(3, QStringLiteral("ブラウザで開く(&B)"), 12));
    addTextRow(QStringLiteral("利用条件・試用期間中の制限など:"), makeText(13, 6, true), true);

    m_note->setObjectName(QStringLiteral("lbl_note"));
    m_note->setTextFormat(Qt::PlainText);
    // Room for the four lines before the first fill sets them.
    m_note->setMinimumHeight(m_note->fontMetrics().lineSpacing() * 4);
    m_note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    grid()->addWidget(m_note, nextRow(), 0, 1, 3);
}

void PropertyAuthorPage::fill(const catalogue::EntryRow& row)
{
    m_note->setText(kNote.join(u'\n'));
    setBoxText(10, row.Author);
    // The yen sign itself: the fonts of this system draw a backslash as a backslash.
    setBoxText(11, u'¥' + text::GroupedNumber(row.RegiMoney) + QStringLiteral(".-"));
    setBoxText(12, row.PaymentURL);
    setBoxText(13, row.PaymentInfo);
    setBoxText(14, row.AuthorURL);
}

} // namespace info
