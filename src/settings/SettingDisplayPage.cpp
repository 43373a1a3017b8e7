#include "settings/SettingDisplayPage.h"

#include "config/Settings.h"
#include "resources/IconNames.h"
#include "resources/Icons.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>

namespace options {

namespace {

const QString kWindow = QStringLiteral("Window");
constexpr int kPreviewSize = 16;

// A Windows colour value 0x00BBGGRR as a colour, and back.
QColor ToColor(int value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int ToWindowsColor(int red, int green, int blue)
{
    return red | (green << 8) | (blue << 16);
}

// Draws the chosen type in its own colour on a pale highlight, so the colour being set shows
// while the scroll bars move.
class TypeColourDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const QVariant foreground = index.data(Qt::ForegroundRole);
        if (!foreground.isValid())
            return;
        const QColor color = foreground.value<QBrush>().color();
        const QColor highlight = option->palette.color(QPalette::Highlight);
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            option->palette.setColor(group, QPalette::HighlightedText, color);
            option->palette.setColor(group, QPalette::Highlight, highlight.lighter(175));
        }
    }
};

} // namespace

SettingDisplayPage::SettingDisplayPage(QWidget* parent)
    : SettingPage(QStringLiteral("pictab_3"),
                  QStringLiteral("リストの色や、ライブラリのアイコンの表示設定を行います。"),
                  parent)
{
    QGroupBox* propertyFrame = addFrame(QStringLiteral("プロパティ表示"));
    m_openTab = new QComboBox(propertyFrame);
    m_openTab->setObjectName(QStringLiteral("cmb_opentab"));
    m_openTab->addItems({QStringLiteral("全般"), QStringLiteral("説明"),
                         QStringLiteral("作者・レジ情報"), QStringLiteral("その他の情報"),
                         QStringLiteral("追加情報")});
    auto* propertyLayout = new QHBoxLayout(propertyFrame);
    propertyLayout->addWidget(
        makeLabel(QStringLiteral("ライブラリのプロパティで最初に開くタブ:"), m_openTab));
    propertyLayout->addWidget(m_openTab);
    propertyLayout->addStretch(1);

    QGroupBox* iconFrame = addFrame(QStringLiteral("アイコン表示"));
    auto* iconLayout = new QGridLayout(iconFrame);
    const QString captions[] = {QStringLiteral("通常のライブラリのアイコン"),
                                QStringLiteral("新着ライブラリのアイコン"),
                                QStringLiteral("ピックアップライブラリのアイコン"),
                                QStringLiteral("ニュース記事ライブラリのアイコン")};
    // Every icon of the list's image list can be chosen.
    const int lastIcon = resources::ListIconCount - 1;
    for (int i = 0; i < 4; ++i) {
        auto* number = new QSpinBox(iconFrame);
        number->setObjectName(QStringLiteral("txt_iconnum_") + QString::number(i));
        number->setRange(0, lastIcon);
        auto* preview = new QLabel(iconFrame);
        preview->setObjectName(QStringLiteral("pic_icon_") + QString::number(i));
        preview->setFixedSize(kPreviewSize + 4, kPreviewSize + 4);
        preview->setAlignment(Qt::AlignCenter);
        m_iconNumber[std::size_t(i)] = number;
        m_iconPreview[std::size_t(i)] = preview;
        iconLayout->addWidget(makeLabel(captions[i], number), i, 0);
        iconLayout->addWidget(number, i, 1);
        iconLayout->addWidget(preview, i, 2);
        connect(number, &QSpinBox::valueChanged, this, [this, i] { showIcon(i); });
    }
    iconLayout->setColumnStretch(3, 1);

    QGroupBox* colorFrame = addFrame(QStringLiteral("色の設定"));
    m_typeList = new QListWidget(colorFrame);
    m_typeList->setObjectName(QStringLiteral("List1"));
    m_typeList->setItemDelegate(new TypeColourDelegate(m_typeList));
    auto* bars = new QGridLayout;
    const QString names[] = {QStringLiteral("R"), QStringLiteral("Ｇ"), QStringLiteral("Ｂ")};
    for (int c = 0; c < 3; ++c) {
        auto* bar = new QScrollBar(Qt::Horizontal, colorFrame);
        bar->setObjectName(QStringLiteral("Colorsc_") + QString::number(c));
        bar->setRange(0, 255);
        bar->setPageStep(16);
        bar->setMinimumWidth(160);
        bar->setFocusPolicy(Qt::StrongFocus);
        auto* value = new QLabel(QStringLiteral("0"), colorFrame);
        value->setObjectName(QStringLiteral("lbl_color_") + QString::number(c));
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 4);
        m_color[std::size_t(c)] = bar;
        m_colorValue[std::size_t(c)] = value;
        bars->addWidget(makeLabel(names[c], bar), c, 0);
        bars->addWidget(bar, c, 1);
        bars->addWidget(value, c, 2);
        connect(bar, &QScrollBar::valueChanged, this, &SettingDisplayPage::Colorsc_Change);
    }
    m_sample = new QFrame(colorFrame);
    m_sample->setObjectName(QStringLiteral("pic_color"));
    m_sample->setFrameShape(QFrame::Box);
    m_sample->setAutoFillBackground(true);
    m_sample->setMinimumHeight(20);
    bars->addWidget(m_sample, 3, 1, 1, 2);
    bars->setColumnStretch(1, 1);
    bars->setRowStretch(4, 1);
    auto* colorLayout = new QHBoxLayout(colorFrame);
    colorLayout->addWidget(m_typeList, 1);
    colorLayout->addLayout(bars, 1);
    connect(m_typeList, &QListWidget::currentRowChanged, this, &SettingDisplayPage::typeChosen);
}

void SettingDisplayPage::load()
{
    const config::Settings& s = config::settings();
    m_openTab->setCurrentIndex(s.OpenTabProperty >= 1 && s.OpenTabProperty <= 4 ? s.OpenTabProperty
                                                                                : 0);
    const int icons[] = {s.ChangeNormalIcon, s.ChangeNewIcon, s.ChangePickUpIcon,
                         s.ChangeReviewIcon};
    for (int i = 0; i < 4; ++i) {
        m_iconNumber[std::size_t(i)]->setValue(icons[i]);
        showIcon(i);
    }
    m_types = config::SoftTypes();
    m_typeList->clear();
    for (const config::SoftTypeRecord& type : m_types) {
        auto* item = new QListWidgetItem(type.Name, m_typeList);
        item->setForeground(ToColor(type.Color));
    }
    if (!m_types.isEmpty())
        m_typeList->setCurrentRow(0);
    else
        paintSample(0);
    // As tall as the types need, within reason.
    const int rows = std::clamp(int(m_types.size()), 4, 10);
    m_typeList->setFixedHeight(m_typeList->sizeHintForRow(0) * rows + 2 * m_typeList->frameWidth() +
                               4);
}

void SettingDisplayPage::showIcon(int row)
{
    const int icon = m_iconNumber[std::size_t(row)]->value();
    m_iconPreview[std::size_t(row)]->setPixmap(
        resources::ListIcon(icon).pixmap(kPreviewSize, kPreviewSize));
}

void SettingDisplayPage::typeChosen(int row)
{
    if (row < 0 || row >= m_types.size())
        return;
    const QColor color = ToColor(m_types[row].Color);
    m_showingType = true;
    m_color[0]->setValue(color.red());
    m_color[1]->setValue(color.green());
    m_color[2]->setValue(color.blue());
    m_showingType = false;
    Colorsc_Change();
}

void SettingDisplayPage::Colorsc_Change()
{
    for (std::size_t c = 0; c < 3; ++c)
        m_colorValue[c]->setText(QString::number(m_color[c]->value()));
    const int color = ToWindowsColor(m_color[0]->value(), m_color[1]->value(), m_color[2]->value());
    paintSample(color);
    const int row = m_typeList->currentRow();
    if (m_showingType || row < 0 || row >= m_types.size())
        return;
    m_types[row].Color = color;
    m_typeList->item(row)->setForeground(ToColor(color));
}

void SettingDisplayPage::paintSample(int color)
{
    QPalette palette = m_sample->palette();
    palette.setColor(QPalette::Window, ToColor(color));
    m_sample->setPalette(palette);
}

void SettingDisplayPage::store(StoreStep step)
{
    config::Settings& s = config::settings();
    switch (step) {
    case StoreStep::TypeColours: {
        // Every type in five fields, whatever form it was read in.
        QList<config::SoftTypeRecord>& table = config::SoftTypes();
        for (int i = 0; i < m_types.size(); ++i) {
            const config::SoftTypeRecord& t = m_types[i];
            WriteSetting(QStringLiteral("SoftType"),
                         QStringLiteral("SoftType") + QString::number(i + 1),
                         QString::number(t.Code) + u',' + t.Image + u',' + t.Name + u',' +
                             QString::number(t.Color) + u',' + t.Image2);
            if (i < table.size())
                table[i].Color = t.Color;
        }
        break;
    }
    case StoreStep::Icons: {
        int* targets[] = {&s.ChangeNormalIcon, &s.ChangeNewIcon, &s.ChangePickUpIcon,
                          &s.ChangeReviewIcon};
        const QString keys[] = {QStringLiteral("ChangeNormalIcon"), QStringLiteral("ChangeNewIcon"),
                                QStringLiteral("ChangePickUpIcon"),
                                QStringLiteral("ChangeReviewIcon")};
        for (std::size_t i = 0; i < 4; ++i) {
            *targets[i] = m_iconNumber[i]->value();
            WriteSetting(kWindow, keys[i], *targets[i]);
        }
        break;
    }
    case StoreStep::PropertyTab:
        s.OpenTabProperty = m_openTab->currentIndex();
        WriteSetting(kWindow, QStringLiteral("OpenTabProperty"), s.OpenTabProperty);
        break;
    default:
        break;
    }
}

} // namespace options
