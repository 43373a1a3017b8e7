#include "startup/frmDownloadFolder.h"

#include "config/Ini.h"
#include "config/Settings.h"
#include "resources/Icons.h"
#include "util/Dialogs.h"
#include "util/FileUtil.h"
#include "util/Messages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace startup {

namespace {

const QString kMessage =
    QStringLiteral("ダウンロードしたライブラリを保存するフォルダを指定してください。\r\n"
                   "(このフォルダは後からでもオプション設定で変更できます。)\r\n");
const QString kDefaultFolder = QStringLiteral(".\\DOWNLOAD");

} // namespace

frmDownloadFolder::frmDownloadFolder(QWidget* parent)
    : QDialog(parent), m_message(new QLabel(this)), m_inp(new QLineEdit(this)),
      m_ref(new QPushButton(QStringLiteral("参照(&R)..."), this)),
      m_set(new QPushButton(QStringLiteral("設定(&S)"), this))
{
    setObjectName(QStringLiteral("frmDownloadFolder"));
    setWindowTitle(QStringLiteral("ダウンロードフォルダの指定"));
    setWindowIcon(resources::ProgramIcon());
    setModal(false);
    m_message->setObjectName(QStringLiteral("lbl_message"));
    m_inp->setObjectName(QStringLiteral("inp"));
    m_ref->setObjectName(QStringLiteral("Ref"));
    m_set->setObjectName(QStringLiteral("cmd_set"));

    QString message = kMessage;
    m_message->setText(message.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    m_inp->setText(config::settings().DownloadFolder);
    m_inp->setMinimumWidth(m_inp->fontMetrics().averageCharWidth() * 48);
    m_ref->setAutoDefault(false);
    m_set->setDefault(true);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_inp, 1);
    folderRow->addWidget(m_ref);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_set);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_message);
    layout->addLayout(folderRow);
    layout->addLayout(buttonRow);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_inp, m_ref);
    setTabOrder(m_ref, m_set);
    m_inp->setFocus();

    connect(m_ref, &QPushButton::clicked, this, &frmDownloadFolder::BrowseForFolder);
    connect(m_set, &QPushButton::clicked, this, &frmDownloadFolder::SetFolder);
}

void frmDownloadFolder::done(int result)
{
    // The main window is shown before this one hides, so the application never finds itself
    // without a window in between.
    emit unloaded();
    QDialog::done(result);
}

void frmDownloadFolder::BrowseForFolder()
{
    const QString folder = util::BrowseFolder(this);
    if (!folder.isEmpty())
        m_inp->setText(folder);
}

// Blanks around the folder are dropped: the settings file trims them on reading, and a field of
// blanks alone would otherwise store an empty folder. A folder whose name the settings file
// cannot hold is refused, and the window stays open for another.
void frmDownloadFolder::SetFolder()
{
    QString folder = m_inp->text().trimmed();
    if (folder.isEmpty())
        folder = kDefaultFolder;
    if (!config::CanStoreText(folder)) {
        msg::Show(config::UnstorableTextMessage(folder), windowTitle(), msg::Icon::Exclamation);
        m_inp->setFocus();
        m_inp->selectAll();
        return;
    }
    config::WriteIni(QStringLiteral("PLMDM"), QStringLiteral("Folder"), folder,
                     config::kSettingsFile);
    config::WriteIni(QStringLiteral("PLMDM"), QStringLiteral("FirstBoot"), QStringLiteral("0"),
                     config::kSettingsFile);
    config::settings().DownloadFolder = util::ResolvePath(folder);
    config::settings().FirstBoot = 0;
    accept();
}

} // namespace startup
