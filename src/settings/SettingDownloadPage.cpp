#include "settings/SettingDownloadPage.h"

#include "config/Ini.h"
#include "config/Settings.h"
#include "util/Dialogs.h"
#include "util/FileUtil.h"

#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace options {

namespace {
const QString kPlmdm = QStringLiteral("PLMDM");
const QString kDefaultFolder = QStringLiteral(".\\DOWNLOAD");
} // namespace

SettingDownloadPage::SettingDownloadPage(QWidget* parent)
    : SettingPage(QStringLiteral("pictab_7"),
                  QStringLiteral("Pelimondダウンロードマネージャ(PLMDM)の設定を行います。\r\n"
                                 "ダウンロード先や、ダウンロード後の処理を設定できます。"),
                  parent)
{
    m_propertyWindow = new QCheckBox(
        QStringLiteral("プロパティ画面でのダウンロードもPLMダウンロードを使用する"), this);
    m_propertyWindow->setObjectName(QStringLiteral("chk_opt_3"));
    m_openAfter = new QCheckBox(QStringLiteral("ダウンロード完了後、保存先フォルダを開く"), this);
    m_openAfter->setObjectName(QStringLiteral("chk_opt_2"));
    m_folder = makeField(QStringLiteral("inp_9"));
    m_browse = new QPushButton(QStringLiteral("参照(&F)"), this);
    m_browse->setObjectName(QStringLiteral("Ref_5"));

    auto* grid = new QGridLayout;
    grid->addWidget(m_propertyWindow, 0, 0, 1, 2);
    grid->addWidget(m_openAfter, 1, 0, 1, 2);
    grid->setRowMinimumHeight(2, 8);
    grid->addWidget(makeLabel(QStringLiteral("ライブラリの保存フォルダ:"), m_folder), 3, 0, 1, 2);
    grid->addWidget(m_folder, 4, 0);
    grid->addWidget(m_browse, 4, 1);
    grid->setColumnStretch(0, 1);
    body()->addLayout(grid);
    body()->addStretch(1);
    connect(m_browse, &QPushButton::clicked, this, &SettingDownloadPage::Ref_Click);
}

void SettingDownloadPage::load()
{
    const config::Settings& s = config::settings();
    m_propertyWindow->setChecked(s.UsePLMDMPropertyWindow == 1);
    m_openAfter->setChecked(s.OpenAfterDownload == 1);
    m_storedFolder =
        config::ReadIni(config::kSettingsFile, kPlmdm, QStringLiteral("Folder"), kDefaultFolder);
    m_loadedFolder = QDir::toNativeSeparators(s.DownloadFolder);
    m_folder->setText(m_loadedFolder);
}

QString SettingDownloadPage::storedFolder() const
{
    const QString text = m_folder->text().trimmed();
    if (text.isEmpty())
        return kDefaultFolder;
    return text == m_loadedFolder ? m_storedFolder : text;
}

UnstorableField SettingDownloadPage::unstorableField() const
{
    if (!config::CanStoreText(storedFolder()))
        return {m_folder, m_folder->text()};
    return {};
}

void SettingDownloadPage::store(StoreStep step)
{
    if (step != StoreStep::Download)
        return;
    config::Settings& s = config::settings();
    const QString folder = storedFolder();
    s.DownloadFolder = util::ResolvePath(folder);
    WriteSetting(kPlmdm, QStringLiteral("Folder"), folder);
    s.OpenAfterDownload = m_openAfter->isChecked() ? 1 : 0;
    WriteSetting(kPlmdm, QStringLiteral("OpenAfterDownload"), s.OpenAfterDownload);
    s.UsePLMDMPropertyWindow = m_propertyWindow->isChecked() ? 1 : 0;
    WriteSetting(kPlmdm, QStringLiteral("UsePLMDMPropertyWindow"), s.UsePLMDMPropertyWindow);
}

void SettingDownloadPage::Ref_Click()
{
    const QString folder = util::BrowseFolder(this);
    if (!folder.isEmpty())
        m_folder->setText(QDir::toNativeSeparators(folder));
}

} // namespace options
