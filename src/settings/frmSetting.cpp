#include "settings/frmSetting.h"

#include "config/Ini.h"
#include "resources/Icons.h"
#include "settings/SettingCachePage.h"
#include "settings/SettingCategoryPage.h"
#include "settings/SettingDisplayPage.h"
#include "settings/SettingDownloadPage.h"
#include "settings/SettingFontPage.h"
#include "settings/SettingNetworkPage.h"
#include "settings/SettingOtherPage.h"
#include "settings/SettingSystemPage.h"
#include "util/Messages.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace options {

namespace {

const QString kTitle = QStringLiteral("Pelimond オプション");

// The order of OK's writes.
constexpr StoreStep kWriteOrder[] = {
    StoreStep::Connection,  StoreStep::CompactAtEnd, StoreStep::CacheFolder, StoreStep::TypeColours,
    StoreStep::Proxy,       StoreStep::ListReading,  StoreStep::Browser,     StoreStep::Icons,
    StoreStep::ListWidths,  StoreStep::SearchMax,    StoreStep::UserAgent,   StoreStep::DoubleClick,
    StoreStep::PropertyTab, StoreStep::License,      StoreStep::Fonts,       StoreStep::Download,
    StoreStep::Categories,
};

} // namespace

frmSetting::frmSetting(Tab tab, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_tabs(new QTabWidget(this)), m_network(new SettingNetworkPage(this)),
      m_cache(new SettingCachePage(this)), m_categories(new SettingCategoryPage(this)),
      m_display(new SettingDisplayPage(this)), m_system(new SettingSystemPage(this)),
      m_other(new SettingOtherPage(this)), m_fonts(new SettingFontPage(this)),
      m_download(new SettingDownloadPage(this))
{
    setObjectName(QStringLiteral("frmSetting"));
    setWindowTitle(kTitle);
    setWindowIcon(resources::ProgramIcon());
    setModal(true);

    m_pages = {m_network, m_cache, m_categories, m_display, m_system, m_other, m_fonts, m_download};
    const QString captions[] = {QStringLiteral("ネットワーク"),   QStringLiteral("キャッシュ設定"),
                                QStringLiteral("カテゴリの取得"), QStringLiteral("表示設定"),
                                QStringLiteral("システム"),       QStringLiteral("その他"),
                                QStringLiteral("フォント設定"),   QStringLiteral("ダウンロード")};
    m_tabs->setObjectName(QStringLiteral("TabStrip1"));
    // Every tab in sight: the dialog is as wide as the eight captions.
    m_tabs->setUsesScrollButtons(false);
    m_tabs->setElideMode(Qt::ElideNone);
    for (std::size_t i = 0; i < m_pages.size(); ++i)
        m_tabs->addTab(m_pages[i], captions[i]);
    connect(m_system, &SettingSystemPage::listWidthsReset, this, &frmSetting::listWidthsReset);

    m_buttons[0] = new QPushButton(QStringLiteral("OK(&O)"), this);
    m_buttons[1] = new QPushButton(QStringLiteral("キャンセル(&C)"), this);
    for (std::size_t i = 0; i < m_buttons.size(); ++i) {
        m_buttons[i]->setObjectName(QStringLiteral("cmd_set_") + QString::number(i));
        connect(m_buttons[i], &QPushButton::clicked, this, [this, i] { cmd_set_Click(int(i)); });
    }
    m_buttons[0]->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_buttons[0]);
    buttons->addWidget(m_buttons[1]);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);

    for (SettingPage* page : m_pages)
        page->load();
    m_tabs->setCurrentIndex(tab >= NetworkTab && tab < TabCount ? tab : NetworkTab);
    setMinimumSize(sizeHint());
}

frmSetting::~frmSetting() = default;

bool frmSetting::refuseUnstorable()
{
    for (SettingPage* page : m_pages) {
        const UnstorableField found = page->unstorableField();
        if (!found.field)
            continue;
        m_tabs->setCurrentWidget(page);
        msg::Show(config::UnstorableTextMessage(found.text), kTitle, msg::Icon::Exclamation);
        found.field->setFocus();
        return false;
    }
    return true;
}

void frmSetting::cmd_set_Click(int index)
{
    if (index != 0) {
        reject();
        return;
    }
    for (SettingPage* page : m_pages)
        page->validate();
    if (!refuseUnstorable())
        return;
    for (StoreStep step : kWriteOrder) {
        for (SettingPage* page : m_pages)
            page->store(step);
    }
    m_stored = true;
    accept();
}

} // namespace options
