#include "info/frmPropertyf.h"

#include "config/Settings.h"
#include "info/PropertyCounts.h"
#include "info/PropertyPage.h"
#include "mainwindow/WaitCursor.h"
#include "resources/Icons.h"
#include "util/Trace.h"

#include <QLabel>
#include <QLineEdit>

namespace info {

namespace {

constexpr int kMaxBoxWidth = 560; // pixels; a longer address scrolls in its box

// The picture the folder tree shows for the node.
QIcon NodeIcon(const QString& key)
{
    using resources::ImageList;
    if (!IsFolderAddress(key))
        return resources::Icon(ImageList::Tree, key);
    const QString library = config::SiteRoot + config::AreaPaths[0];
    const QString newArrivals = config::SiteRoot + config::AreaPaths[1];
    if (key == library)
        return resources::Icon(ImageList::Tree, u"TalvexRoot");
    if (key == newArrivals)
        return resources::Icon(ImageList::Tree, u"NewArrival");
    if (key.startsWith(newArrivals))
        return resources::Icon(ImageList::Tree, u"CloseNew");
    return resources::Icon(ImageList::Tree, u"Close");
}

} // namespace

frmPropertyf::frmPropertyf(const QString& nodeKey, const QString& nodeText, util::UrlOpener openUrl,
                           QWidget* parent)
    : PropertySummaryWindow(QStringLiteral("frmPropertyf"), std::move(openUrl), parent),
      m_key(nodeKey), m_contents(new QLabel(page()))
{
    setWindowTitle(QStringLiteral("プロパティの読み込み中です..."));
    PropertyPage* tab = page();
    m_title = tab->makeLine(0, true);
    setHeader(NodeIcon(nodeKey), m_title);
    m_kind = tab->makeLine(1);
    tab->addRow(QStringLiteral("種類:"), m_kind);
    m_place = tab->makeLine(2);
    tab->addRow(QStringLiteral("場所:"), m_place);
    m_contents->setObjectName(QStringLiteral("lbl_info_0"));
    m_contents->setTextFormat(Qt::PlainText);
    m_contents->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Left edge level with the text of the flat boxes above.
    m_contents->setIndent(2);
    tab->addRow(QStringLiteral("内容:"), m_contents);
    tab->addSeparator();
    m_date = tab->makeLine(3);
    tab->addRow(QStringLiteral("更新日付:"), m_date);
    tab->addStretch();

    // What the node tells; the catalogue's part follows once the window is on screen.
    tab->setBoxText(0, nodeText);
    tab->setBoxText(1, QStringLiteral("カテゴリ"));
    setPlace(m_place, nodeKey);
    for (int n = 0; n < 4; ++n)
        tab->fitToText(n, kMaxBoxWidth);
    // Room for the longest date and a contents line of large numbers.
    m_date->setMinimumWidth(std::max(
        m_date->minimumWidth(),
        fontMetrics().horizontalAdvance(FolderDateText(QDateTime::currentDateTime())) + 16));
    setWindowTitle(nodeText + QStringLiteral(" のプロパティ"));
    RunOnceDrawn(this, [this] {
        Read();
        m_readDone = true;
    });
}

frmPropertyf::~frmPropertyf() = default;

QLineEdit* frmPropertyf::box(int n) const
{
    switch (n) {
    case 0:
        return m_title;
    case 1:
        return m_kind;
    case 2:
        return m_place;
    case 3:
        return m_date;
    default:
        return nullptr;
    }
}

void frmPropertyf::Read()
{
    const mainwindow::WaitCursor wait;
    FolderProperties properties;
    QString error;
    if (!ReadFolderProperties(m_key, &properties, &error)) {
        util::TraceIfDebug(QStringLiteral("フォルダプロパティオープンエラー(") + error + u')');
        return;
    }
    m_contents->setText(FolderContentsText(properties));
    m_date->setText(FolderDateText(properties.updated));
    m_date->setCursorPosition(0);
}

} // namespace info
