#include "settings/SettingCachePage.h"

#include "config/Ini.h"
#include "config/Settings.h"
#include "mainwindow/WaitCursor.h"
#include "util/Dialogs.h"
#include "util/FileUtil.h"
#include "util/Messages.h"

#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace options {

namespace {
const QString kCache = QStringLiteral("cache");
const QString kUrl = QStringLiteral("URL");
const QString kDeleteTitle = QStringLiteral("ファイルの削除");
} // namespace

SettingCachePage::SettingCachePage(QWidget* parent)
    : SettingPage(QStringLiteral("pictab_1"),
                  QStringLiteral("『Pelimond』で一旦表示されたカテゴリやライブラリは、\r\n"
                                 "HDDの中に保存され､次回からは短時間で表示できます｡"),
                  parent)
{
    QGroupBox* modeFrame = addFrame(QStringLiteral("タルベックス接続の設定"));
    const QString captions[] = {QStringLiteral("常に接続しない(&N)"),
                                QStringLiteral("キャッシュにデータが無い場合接続する(&C)"),
                                QStringLiteral("キャッシュデータの日付が古ければ接続する(&U)"),
                                QStringLiteral("常に接続する(&A)")};
    auto* modeLayout = new QVBoxLayout(modeFrame);
    for (int i = 0; i < 4; ++i) {
        auto* option = new QRadioButton(captions[i], modeFrame);
        option->setObjectName(QStringLiteral("opt_connect_") + QString::number(i));
        m_mode[std::size_t(i)] = option;
        modeLayout->addWidget(option);
        connect(option, &QRadioButton::toggled, this, &SettingCachePage::updateEnabled);
        if (i == 2) {
            // The age limit belongs to the cache-date mode, under its option (and after it in
            // the tab order).
            m_days = makeNumberField(QStringLiteral("inp_0"), 2);
            m_daysBefore = makeLabel(QStringLiteral("現在より"), m_days);
            m_daysAfter = makeLabel(QStringLiteral("日以前なら接続する"));
            auto* days = new QHBoxLayout;
            days->addSpacing(24);
            days->addWidget(m_daysBefore);
            days->addWidget(m_days);
            days->addWidget(m_daysAfter);
            days->addStretch(1);
            modeLayout->addLayout(days);
        }
    }

    QGroupBox* methodFrame = addFrame(QStringLiteral("データの取得方法"));
    m_method = new QComboBox(methodFrame);
    m_method->setObjectName(QStringLiteral("getmethod_combo"));
    m_method->addItems({QStringLiteral("人気"), QStringLiteral("新着"), QStringLiteral("名前")});
    m_pages = makeNumberField(QStringLiteral("inp_10"), 4);
    m_pages->setToolTip(QStringLiteral("0 にすると、すべてのページを取得します。"));
    auto* methodLayout = new QHBoxLayout(methodFrame);
    methodLayout->addWidget(m_method);
    methodLayout->addWidget(makeLabel(QStringLiteral("順に、")));
    methodLayout->addWidget(m_pages);
    methodLayout->addWidget(makeLabel(QStringLiteral("ページ取得する。"), m_pages));
    methodLayout->addStretch(1);

    QGroupBox* folderFrame = addFrame(QStringLiteral("キャッシュ保存先"));
    m_folderLabel = new QLabel(folderFrame);
    m_folderLabel->setObjectName(QStringLiteral("lbl_cachefolder"));
    m_folderLabel->setTextFormat(Qt::PlainText);
    m_folderLabel->setFrameShape(QFrame::StyledPanel);
    m_folderLabel->setFrameShadow(QFrame::Sunken);
    m_folderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_folderLabel->setWordWrap(true);
    m_folderLabel->setMargin(3);
    m_change = new QPushButton(QStringLiteral("フォルダの変更(&E)"), folderFrame);
    m_change->setObjectName(QStringLiteral("Ref_3"));
    m_delete = new QPushButton(QStringLiteral("ファイルの削除(&D)"), folderFrame);
    m_delete->setObjectName(QStringLiteral("cmd_frame_0"));
    auto* folderLayout = new QGridLayout(folderFrame);
    folderLayout->addWidget(m_folderLabel, 0, 0, 1, 3);
    folderLayout->addWidget(m_change, 1, 1);
    folderLayout->addWidget(m_delete, 1, 2);
    folderLayout->setColumnStretch(0, 1);
    connect(m_change, &QPushButton::clicked, this, &SettingCachePage::Ref_Click);
    connect(m_delete, &QPushButton::clicked, this, &SettingCachePage::cmd_frame_Click);
    body()->addStretch(1);
}

void SettingCachePage::load()
{
    const config::Settings& s = config::settings();
    if (s.Update >= 0 && s.Update <= 3)
        m_mode[std::size_t(s.Update)]->setChecked(true);
    m_days->setText(QString::number(s.DateBeforeUpdate));
    m_method->setCurrentIndex(s.ReadSortType >= 0 && s.ReadSortType <= 2 ? s.ReadSortType : 0);
    m_pages->setText(QString::number(s.ReadMaxPages));
    m_storedFolder = config::ReadIni(config::kSettingsFile, QStringLiteral("CACHE"),
                                     QStringLiteral("CACHEFOLDER"), QStringLiteral(".\\Cache"));
    m_loadedFolder = QDir::toNativeSeparators(s.CacheFolder);
    showFolder(m_loadedFolder);
    updateEnabled();
}

int SettingCachePage::modeChoice() const
{
    for (int i = 0; i < 4; ++i) {
        if (m_mode[std::size_t(i)]->isChecked())
            return i;
    }
    return -1;
}

void SettingCachePage::updateEnabled()
{
    const bool cacheDate = modeChoice() == 2;
    util::SetFieldEnabled(m_days, cacheDate);
    m_daysBefore->setEnabled(cacheDate);
    m_daysAfter->setEnabled(cacheDate);
}

void SettingCachePage::showFolder(const QString& folder)
{
    m_folder = folder;
    m_folderLabel->setText(folder);
}

void SettingCachePage::validate()
{
    if (modeChoice() == 2)
        m_days->setText(NumericOr(m_days->text(), QStringLiteral("0")));
    m_pages->setText(NumericOr(m_pages->text(), QStringLiteral("0")));
}

UnstorableField SettingCachePage::unstorableField() const
{
    if (m_folder != m_loadedFolder && !config::CanStoreText(m_folder))
        return {m_change, m_folder};
    return {};
}

void SettingCachePage::store(StoreStep step)
{
    config::Settings& s = config::settings();
    switch (step) {
    case StoreStep::Connection:
        if (modeChoice() == 2) {
            s.DateBeforeUpdate = FieldNumber(m_days->text());
            WriteSetting(kCache, QStringLiteral("DateBeforeUpdate"), m_days->text());
        }
        if (modeChoice() >= 0)
            s.Update = modeChoice();
        WriteSetting(kCache, QStringLiteral("Update"), s.Update);
        break;
    case StoreStep::CacheFolder: {
        // A folder left as it was keeps its stored form, a path relative to the program folder
        // included.
        const QString stored = m_folder == m_loadedFolder ? m_storedFolder : m_folder;
        s.CacheFolder = util::ResolvePath(stored);
        WriteSetting(kCache, QStringLiteral("cachefolder"), stored);
        break;
    }
    case StoreStep::ListReading:
        s.ReadSortType = m_method->currentIndex();
        WriteSetting(kUrl, QStringLiteral("ReadSortType"), s.ReadSortType);
        s.ReadMaxPages = FieldNumber(m_pages->text());
        WriteSetting(kUrl, QStringLiteral("ReadMaxPages"), m_pages->text());
        break;
    default:
        break;
    }
}

void SettingCachePage::Ref_Click()
{
    const QString folder = util::BrowseFolder(this);
    if (!folder.isEmpty())
        showFolder(QDir::toNativeSeparators(folder));
}

// Empties the cache folder in use at once, whatever OK or Cancel does later.
void SettingCachePage::cmd_frame_Click()
{
    const msg::Answer answer = msg::Show(
        QStringLiteral("キャッシュフォルダに保存されている\r\nすべてのファイルを削除しますか?\r\n"),
        kDeleteTitle, msg::Icon::Exclamation, msg::Buttons::YesNo, msg::Answer::No);
    if (answer != msg::Answer::Yes)
        return;
    bool deleted = false;
    {
        const mainwindow::WaitCursor wait;
        deleted = util::DeleteFolderTree(config::settings().CacheFolder);
    }
    if (!deleted) {
        msg::Show(
            QStringLiteral("キャッシュファイルの削除に失敗しました。\r\n"
                           "他のアプリケーションでキャッシュ内のファイルを開いているなどで\r\n"
                           "ファイルが削除できませんでした。"),
            QStringLiteral("ファイルの削除エラー"), msg::Icon::Stop);
    } else {
        msg::Show(QStringLiteral("キャッシュファイルの削除が完了しました"), kDeleteTitle,
                  msg::Icon::Information);
    }
}

} // namespace options
