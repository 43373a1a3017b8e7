#include "info/PropertySummaryWindow.h"

#include "info/PropertyPage.h"
#include "resources/Icons.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace info {

bool IsFolderAddress(const QString& key)
{
    return !key.isEmpty() && key != u"Favorites" && key != u"Search";
}

PropertySummaryWindow::PropertySummaryWindow(const QString& name, util::UrlOpener openUrl,
                                             QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_openUrl(std::move(openUrl)),
      m_browser(new QPushButton(QStringLiteral("ブラウザで開く(&B)"), this)),
      m_ok(new QPushButton(QStringLiteral("OK(&O)"), this))
{
    setObjectName(name);
    setWindowIcon(resources::ProgramIcon());
    setModal(false);

    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("TabStrip"));
    m_page = new PropertyPage(tabs);
    tabs->addTab(m_page, QStringLiteral("全般"));

    m_browser->setObjectName(QStringLiteral("cmd_browser"));
    m_browser->setEnabled(false);
    m_ok->setObjectName(QStringLiteral("cmd_ok"));
    m_ok->setDefault(true);
    connect(m_browser, &QPushButton::clicked, this, &PropertySummaryWindow::cmd_browser_Click);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_browser);
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_ok->setFocus();
}

PropertySummaryWindow::~PropertySummaryWindow() = default;

void PropertySummaryWindow::setHeader(const QIcon& icon, QWidget* title)
{
    auto* picture = new QLabel(m_page);
    picture->setObjectName(QStringLiteral("img_icon"));
    picture->setPixmap(icon.pixmap(32, 32));
    m_page->grid()->addWidget(picture, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    m_page->grid()->addWidget(title, 0, 1, 1, 2);
    m_page->addSeparator();
}

void PropertySummaryWindow::setPlace(QLineEdit* place, const QString& address)
{
    m_place = place;
    m_place->setText(address);
    m_place->setCursorPosition(0);
    m_browser->setEnabled(IsFolderAddress(address));
}

void PropertySummaryWindow::cmd_browser_Click()
{
    const QString place = m_place ? m_place->text() : QString();
    if (IsFolderAddress(place) && m_openUrl)
        m_openUrl(place);
}

void PropertySummaryWindow::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) &&
        modifiers == Qt::NoModifier) {
        event->accept();
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace info
