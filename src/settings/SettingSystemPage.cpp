#include "settings/SettingSystemPage.h"

#include "config/Ini.h"
#include "config/Settings.h"
#include "util/Dialogs.h"
#include "util/Messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace options {

namespace {
const QString kUrl = QStringLiteral("URL");
const QString kWindow = QStringLiteral("Window");
} // namespace

SettingSystemPage::SettingSystemPage(QWidget* parent)
    : SettingPage(QStringLiteral("pictab_4"), QStringLiteral("Pelimondの動作設定を行います。"),
                  parent)
{
    m_searchMax = makeNumberField(QStringLiteral("inp_3"), 6);
    m_useBrowser = new QCheckBox(QStringLiteral("下記で指定したブラウザを使う"), this);
    m_useBrowser->setObjectName(QStringLiteral("chk_opt_1"));
    m_browser = makeField(QStringLiteral("inp_8"));
    m_browse = new QPushButton(QStringLiteral("参照(&R)"), this);
    m_browse->setObjectName(QStringLiteral("Ref_4"));
    m_doubleClick = new QComboBox(this);
    m_doubleClick->setObjectName(QStringLiteral("cmb_dbl"));
    m_doubleClick->addItems(
        {QStringLiteral("なにもしない"), QStringLiteral("詳細ページを開く"),
         QStringLiteral("ダウンロードページを開く"), QStringLiteral("作者ページを開く"),
         QStringLiteral("ダウンロードをする"), QStringLiteral("PLMダウンロードをする")});

    auto* grid = new QGridLayout;
    grid->addWidget(makeLabel(QStringLiteral("最大検索数:"), m_searchMax), 0, 0);
    grid->addWidget(m_searchMax, 0, 1, Qt::AlignLeft);
    grid->addWidget(m_useBrowser, 1, 0, 1, 3);
    auto* browserRow = new QHBoxLayout;
    browserRow->addSpacing(20);
    browserRow->addWidget(m_browser, 1);
    browserRow->addWidget(m_browse);
    grid->addLayout(browserRow, 2, 0, 1, 3);
    grid->addWidget(makeLabel(QStringLiteral("ダブルクリック時の動作:"), m_doubleClick), 3, 0);
    grid->addWidget(m_doubleClick, 3, 1, Qt::AlignLeft);
    grid->setColumnStretch(2, 1);
    grid->setVerticalSpacing(8);
    body()->addLayout(grid);

    QGroupBox* endFrame = addFrame(QStringLiteral("終了時の処理"));
    m_compact = new QCheckBox(QStringLiteral("終了時にデータベースの最適化を行う"), endFrame);
    m_compact->setObjectName(QStringLiteral("chk_opt_0"));
    m_recordWidths = new QCheckBox(QStringLiteral("終了時にリストの幅を保存する"), endFrame);
    m_recordWidths->setObjectName(QStringLiteral("chk_opt_5"));
    m_resetWidths = new QPushButton(QStringLiteral("幅をデフォルトに戻す"), endFrame);
    m_resetWidths->setObjectName(QStringLiteral("cmd_frame_1"));
    auto* endLayout = new QGridLayout(endFrame);
    endLayout->addWidget(m_compact, 0, 0, 1, 2);
    endLayout->addWidget(m_recordWidths, 1, 0);
    endLayout->addWidget(m_resetWidths, 1, 1, Qt::AlignRight);
    endLayout->setColumnStretch(0, 1);
    body()->addStretch(1);

    connect(m_useBrowser, &QCheckBox::toggled, this, &SettingSystemPage::updateEnabled);
    connect(m_browse, &QPushButton::clicked, this, &SettingSystemPage::Ref_Click);
    connect(m_resetWidths, &QPushButton::clicked, this, &SettingSystemPage::cmd_frame_Click);
}

void SettingSystemPage::load()
{
    const config::Settings& s = config::settings();
    m_searchMax->setText(QString::number(s.SearchMax));
    m_useBrowser->setChecked(s.UseOtherBrowser == 1);
    m_browser->setText(s.BrowserPath);
    m_doubleClick->setCurrentIndex(s.OpenBrowserDoubleClick >= 1 && s.OpenBrowserDoubleClick <= 5
                                       ? s.OpenBrowserDoubleClick
                                       : 0);
    m_compact->setChecked(s.CompactBeforeEnd == 1);
    m_recordWidths->setChecked(s.RecordListWidth == 1);
    updateEnabled();
}

void SettingSystemPage::updateEnabled()
{
    util::SetFieldEnabled(m_browser, m_useBrowser->isChecked());
    m_browse->setEnabled(m_useBrowser->isChecked());
}

void SettingSystemPage::validate()
{
    m_searchMax->setText(NumericOr(m_searchMax->text(), QStringLiteral("200")));
}

UnstorableField SettingSystemPage::unstorableField() const
{
    return FirstUnstorable({m_browser});
}

void SettingSystemPage::store(StoreStep step)
{
    config::Settings& s = config::settings();
    switch (step) {
    case StoreStep::CompactAtEnd:
        s.CompactBeforeEnd = m_compact->isChecked() ? 1 : 0;
        WriteSetting(QStringLiteral("Database"), QStringLiteral("CompactBeforeEnd"),
                     s.CompactBeforeEnd);
        break;
    case StoreStep::Browser:
        s.UseOtherBrowser = m_useBrowser->isChecked() ? 1 : 0;
        WriteSetting(kUrl, QStringLiteral("UseOtherBrowser"), s.UseOtherBrowser);
        s.BrowserPath = m_browser->text().trimmed();
        WriteSetting(kUrl, QStringLiteral("BrowserPath"), s.BrowserPath);
        break;
    case StoreStep::ListWidths:
        s.RecordListWidth = m_recordWidths->isChecked() ? 1 : 0;
        WriteSetting(kWindow, QStringLiteral("RecordListWidth"), s.RecordListWidth);
        break;
    case StoreStep::SearchMax:
        s.SearchMax = FieldNumber(m_searchMax->text(), 200);
        WriteSetting(kWindow, QStringLiteral("SearchMax "), m_searchMax->text());
        break;
    case StoreStep::DoubleClick:
        s.OpenBrowserDoubleClick = m_doubleClick->currentIndex();
        WriteSetting(kWindow, QStringLiteral("OpenBrowserDoubleClick"), s.OpenBrowserDoubleClick);
        break;
    default:
        break;
    }
}

void SettingSystemPage::Ref_Click()
{
    const QString file =
        util::ChooseOpenFile(this, QStringLiteral("全てのファイル(*.*)|*.*"), m_browser->text());
    if (!file.isEmpty())
        m_browser->setText(file);
}

// Sets the list's column widths back to the defaults at once, whatever OK or Cancel does later.
void SettingSystemPage::cmd_frame_Click()
{
    if (msg::Show(QStringLiteral("リストの幅をデフォルトに戻しますか?"),
                  QStringLiteral("デフォルト"), msg::Icon::Question, msg::Buttons::YesNo,
                  msg::Answer::Yes) != msg::Answer::Yes)
        return;
    config::Settings& s = config::settings();
    s.ListViewWidths = config::Settings().ListViewWidths;
    for (std::size_t i = 0; i < s.ListViewWidths.size(); ++i)
        WriteSetting(kWindow, QStringLiteral("ListView") + QString::number(i + 1),
                     s.ListViewWidths[i]);
    emit listWidthsReset();
}

} // namespace options
