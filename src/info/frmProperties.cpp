#include "info/frmProperties.h"

#include "info/PropertyCounts.h"
#include "info/PropertyPage.h"
#include "mainwindow/WaitCursor.h"
#include "resources/Icons.h"
#include "util/Text.h"
#include "util/Trace.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>

namespace info {

namespace {

constexpr int kMaxBoxWidth = 560; // pixels; a longer address scrolls in its box
constexpr qint64 kRepaintMs = 50; // the sums are drawn at most this often while they grow

QString CountText(int position)
{
    return QStringLiteral("ファイル数: ") + QString::number(position);
}

} // namespace

frmProperties::frmProperties(const QList<mainwindow::EntryKey>& entries, const QString& folderKey,
                             util::UrlOpener openUrl, QWidget* parent)
    : PropertySummaryWindow(QStringLiteral("frmProperties"), std::move(openUrl), parent),
      m_entries(entries), m_count(new QLabel(page()))
{
    setWindowTitle(QStringLiteral(" 選択したライブラリのプロパティ"));
    PropertyPage* tab = page();
    m_count->setObjectName(QStringLiteral("lbl_info_0"));
    m_count->setTextFormat(Qt::PlainText);
    m_count->setText(CountText(0));
    // Left edge level with the text of the flat boxes below.
    m_count->setIndent(2);
    setHeader(resources::ListIcon(0), m_count);
    m_kind = tab->makeLine(0);
    tab->addRow(QStringLiteral("種類:"), m_kind);
    m_place = tab->makeLine(1);
    tab->addRow(QStringLiteral("場所:"), m_place);
    tab->addSeparator();
    m_size = tab->makeLine(2);
    tab->addRow(QStringLiteral("サイズ:"), m_size);
    m_money = tab->makeLine(3);
    tab->addRow(QStringLiteral("金額:"), m_money);
    tab->addStretch();

    tab->setBoxText(0, QStringLiteral("複数の種類"));
    setPlace(m_place, folderKey);
    tab->fitToText(1, kMaxBoxWidth);
    // Room for sums of many digits, so the window keeps its size while they grow.
    const int sumWidth =
        fontMetrics().horizontalAdvance(text::GroupedNumber(999999999999) + QStringLiteral(" KB"));
    for (QLineEdit* sum : {m_size, m_money})
        sum->setMinimumWidth(std::max(sum->minimumWidth(), sumWidth + 16));
    RunOnceDrawn(this, [this] {
        Read();
        m_readDone = true;
    });
}

frmProperties::~frmProperties() = default;

QLineEdit* frmProperties::box(int n) const
{
    switch (n) {
    case 0:
        return m_kind;
    case 1:
        return m_place;
    case 2:
        return m_size;
    case 3:
        return m_money;
    default:
        return nullptr;
    }
}

void frmProperties::ShowTotals(const SelectionTotals& totals)
{
    m_count->setText(CountText(totals.position));
    m_size->setText(text::GroupedNumber(totals.sizeKb) + QStringLiteral(" KB"));
    m_money->setText(text::GroupedNumber(totals.money) + QStringLiteral(" 円"));
}

void frmProperties::Read()
{
    const mainwindow::WaitCursor wait;
    SelectionTotals totals;
    QString error;
    QElapsedTimer sinceRepaint;
    const auto progress = [&](const SelectionTotals& sums) {
        // Every row would cost a repaint of its own; a few per second show the sums growing.
        if (sinceRepaint.isValid() && sinceRepaint.elapsed() < kRepaintMs)
            return;
        ShowTotals(sums);
        repaint();
        sinceRepaint.start();
    };
    const bool read = ReadSelectionTotals(m_entries, &totals, progress, &error);
    if (totals.position > 0)
        ShowTotals(totals);
    if (!read)
        util::TraceIfDebug(QStringLiteral("プロパティ(複数)オープンエラー(") + error + u')');
}

} // namespace info
