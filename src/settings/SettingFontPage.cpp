#include "settings/SettingFontPage.h"

#include "config/Ini.h"
#include "config/Settings.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace options {

namespace {

const QString kFont = QStringLiteral("Font");
const QString kSample = QStringLiteral("ABCDEFG あいうえお ");
constexpr int kSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 24};

} // namespace

SettingFontPage::SettingFontPage(QWidget* parent)
    : SettingPage(QStringLiteral("pictab_6"),
                  QStringLiteral("ツリービュー(カテゴリ表示)やリストビュー(ライブラリ表示)の\r\n"
                                 "表示フォントを設定します。"),
                  parent)
{
    addFontFrame(0, QStringLiteral("ツーリービュー(カテゴリの表示)"), QStringLiteral("tree"));
    addFontFrame(1, QStringLiteral("リストビュー(ライブラリの表示)"), QStringLiteral("list"));
    body()->addStretch(1);
}

void SettingFontPage::addFontFrame(int index, const QString& title, const QString& prefix)
{
    QGroupBox* frame = addFrame(title);
    FontRow& row = m_rows[std::size_t(index)];
    row.name = new QComboBox(frame);
    row.name->setObjectName(QStringLiteral("cmb_") + prefix + QStringLiteral("font"));
    row.name->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    row.name->setMinimumContentsLength(24);
    row.name->setMaxVisibleItems(16);
    row.size = new QComboBox(frame);
    row.size->setObjectName(QStringLiteral("cmb_") + prefix + QStringLiteral("size"));
    row.sample = new QLabel(kSample, frame);
    row.sample->setObjectName(QStringLiteral("lbl_") + prefix + QStringLiteral("sample"));
    row.sample->setTextFormat(Qt::PlainText);
    row.sample->setFrameShape(QFrame::StyledPanel);
    row.sample->setFrameShadow(QFrame::Sunken);
    row.sample->setAutoFillBackground(true);
    row.sample->setBackgroundRole(QPalette::Base);
    row.sample->setMargin(4);
    // Room for the largest size, so the page keeps its shape whatever is chosen.
    QFont largest = row.sample->font();
    largest.setPointSize(kSizes[std::size(kSizes) - 1]);
    row.sample->setMinimumHeight(QFontMetrics(largest).height() + 12);

    auto* grid = new QGridLayout(frame);
    grid->addWidget(makeLabel(QStringLiteral("フォント名:"), row.name), 0, 0);
    grid->addWidget(row.name, 0, 1);
    grid->addWidget(makeLabel(QStringLiteral("フォントサイズ:"), row.size), 0, 2);
    grid->addWidget(row.size, 0, 3);
    grid->addWidget(row.sample, 1, 0, 1, 5);
    grid->setColumnStretch(4, 1);
    connect(row.name, &QComboBox::currentIndexChanged, this,
            [this, index] { drawSample(m_rows[std::size_t(index)]); });
    connect(row.size, &QComboBox::currentIndexChanged, this,
            [this, index] { drawSample(m_rows[std::size_t(index)]); });
}

void SettingFontPage::load()
{
    const QStringList families = QFontDatabase::families();
    QStringList sizes;
    for (int size : kSizes)
        sizes.append(QString::number(size));
    const config::Settings& s = config::settings();
    for (FontRow& row : m_rows) {
        const QSignalBlocker nameBlocker(row.name);
        const QSignalBlocker sizeBlocker(row.size);
        row.name->clear();
        row.name->addItems(families);
        row.size->clear();
        row.size->addItems(sizes);
    }
    select(m_rows[0], s.TreeViewFont, s.TreeViewFontSize);
    select(m_rows[1], s.ListViewFont, s.ListViewFontSize);
}

// A stored font or size that the system does not offer is kept in the list, so OK keeps it.
void SettingFontPage::select(const FontRow& row, const QString& family, int size)
{
    {
        const QSignalBlocker nameBlocker(row.name);
        const QSignalBlocker sizeBlocker(row.size);
        int at = row.name->findText(family, Qt::MatchFixedString);
        if (at < 0 && !family.isEmpty()) {
            row.name->insertItem(0, family);
            at = 0;
        }
        row.name->setCurrentIndex(at);
        const QString sizeText = QString::number(size);
        at = row.size->findText(sizeText);
        if (at < 0) {
            int before = 0;
            while (before < row.size->count() && row.size->itemText(before).toInt() < size)
                ++before;
            row.size->insertItem(before, sizeText);
            at = before;
        }
        row.size->setCurrentIndex(at);
    }
    drawSample(row);
}

void SettingFontPage::drawSample(const FontRow& row)
{
    QFont font(row.name->currentText());
    const int size = row.size->currentText().toInt();
    if (size > 0)
        font.setPointSize(size);
    row.sample->setFont(font);
}

UnstorableField SettingFontPage::unstorableField() const
{
    for (const FontRow& row : m_rows) {
        if (!config::CanStoreText(row.name->currentText()))
            return {row.name, row.name->currentText()};
    }
    return {};
}

void SettingFontPage::store(StoreStep step)
{
    if (step != StoreStep::Fonts)
        return;
    config::Settings& s = config::settings();
    s.TreeViewFont = m_rows[0].name->currentText();
    WriteSetting(kFont, QStringLiteral("TreeViewFont"), s.TreeViewFont);
    s.TreeViewFontSize = m_rows[0].size->currentText().toInt();
    WriteSetting(kFont, QStringLiteral("TreeViewFontSize"), s.TreeViewFontSize);
    s.ListViewFont = m_rows[1].name->currentText();
    WriteSetting(kFont, QStringLiteral("ListViewFont"), s.ListViewFont);
    s.ListViewFontSize = m_rows[1].size->currentText().toInt();
    WriteSetting(kFont, QStringLiteral("ListViewFontSize"), s.ListViewFontSize);
}

} // namespace options
