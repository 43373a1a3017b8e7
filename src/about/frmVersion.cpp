#include "about/frmVersion.h"

#include "config/Settings.h"
#include "resources/Icons.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace about {

namespace {

constexpr int kIconSize = 64;

QLabel* makeLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

frmVersion::frmVersion(util::UrlOpener openUrl, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_openUrl(std::move(openUrl)), cmd_home(new QPushButton(config::SiteRoot, this)),
      cmd_ok(new QPushButton(QStringLiteral("OK"), this))
{
    setObjectName(QStringLiteral("frmVersion"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setWindowIcon(resources::ProgramIcon());
    setModal(true);

    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(resources::ProgramIcon().pixmap(kIconSize, kIconSize));
    picIcon->setFixedSize(kIconSize, kIconSize);

    QLabel* name = makeLabel(QStringLiteral("lbl_name"), config::kAppTitle, this);
    QFont big = name->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    name->setFont(big);
    QLabel* title =
        makeLabel(QStringLiteral("lbl_title"), QStringLiteral("Talvex File Navigator"), this);
    QLabel* version = makeLabel(QStringLiteral("lbl_version"), VersionText(), this);
    QLabel* date = makeLabel(QStringLiteral("lbl_date"), ExecutableDateText(), this);

    // The home page, a link-like button: Tab or Alt+H reaches it, Space opens it.
    auto* homeLabel = new QLabel(QStringLiteral("ホームページ(&H):"), this);
    homeLabel->setObjectName(QStringLiteral("lbl_home"));
    homeLabel->setBuddy(cmd_home);
    cmd_home->setObjectName(QStringLiteral("cmd_home"));
    cmd_home->setFlat(true);
    cmd_home->setAutoDefault(false);
    cmd_home->setCursor(Qt::PointingHandCursor);
    cmd_home->setToolTip(QStringLiteral("ホームページをブラウザで開きます。"));
    QFont underlined = cmd_home->font();
    underlined.setUnderline(true);
    cmd_home->setFont(underlined);
    QPalette linkColours = cmd_home->palette();
    linkColours.setColor(QPalette::ButtonText, linkColours.color(QPalette::Link));
    cmd_home->setPalette(linkColours);
    connect(cmd_home, &QPushButton::clicked, this, [this] {
        if (m_openUrl)
            m_openUrl(config::SiteRoot);
    });

    cmd_ok->setObjectName(QStringLiteral("cmd_ok"));
    cmd_ok->setDefault(true);
    cmd_ok->setMinimumWidth(cmd_ok->fontMetrics().horizontalAdvance(u'M') * 8);
    connect(cmd_ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(4);
    texts->addWidget(name);
    texts->addWidget(title);
    texts->addSpacing(8);
    texts->addWidget(version);
    texts->addWidget(date);
    auto* home = new QHBoxLayout;
    home->setSpacing(2);
    home->addWidget(homeLabel);
    home->addWidget(cmd_home);
    home->addStretch();
    texts->addLayout(home);

    auto* top = new QHBoxLayout;
    top->setSpacing(16);
    top->addWidget(picIcon, 0, Qt::AlignTop);
    top->addLayout(texts);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmd_ok);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 12);
    layout->setSpacing(14);
    layout->addLayout(top);
    layout->addLayout(buttons);
    // The window takes the size its texts need and keeps it.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    cmd_ok->setFocus();
}

frmVersion::~frmVersion() = default;

QString frmVersion::VersionText()
{
    return QStringLiteral("バージョン ") + config::ProgramVersion();
}

QString frmVersion::ExecutableDateText()
{
    const QFileInfo executable(QCoreApplication::applicationFilePath());
    return QStringLiteral("実行ファイルの日付: ") +
           executable.lastModified().toString(QStringLiteral("yyyy/MM/dd"));
}

} // namespace about
