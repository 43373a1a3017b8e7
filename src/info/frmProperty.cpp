#include "info/frmProperty.h"

#include "catalogue/Catalogue.h"
#include "config/Settings.h"
#include "info/Notebook.h"
#include "info/PropertyAuthorPage.h"
#include "info/PropertyDescriptionPage.h"
#include "info/PropertyGeneralPage.h"
#include "info/PropertyNotebookPage.h"
#include "info/PropertyOtherPage.h"
#include "mainwindow/Favorites.h"
#include "mainwindow/WaitCursor.h"
#include "resources/Icons.h"
#include "update/RunState.h"
#include "update/SoftDetail.h"
#include "util/Messages.h"
#include "util/Trace.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace info {

namespace {

const QString kFavoritesTitle = QStringLiteral("お気に入りに追加");

QPushButton* makeButton(const QString& caption, int index, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QStringLiteral("cmb_btn_") + QString::number(index));
    return button;
}

} // namespace

frmProperty::frmProperty(const mainwindow::EntryKey& entry,
                         std::function<bool()> favoritesViewShown, util::UrlOpener openUrl,
                         QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_entry(entry), m_favoritesViewShown(std::move(favoritesViewShown)),
      m_openUrl(std::move(openUrl)), m_tabs(new QTabWidget(this)),
      m_general(new PropertyGeneralPage(this)), m_description(new PropertyDescriptionPage(this)),
      m_author(new PropertyAuthorPage(this)), m_other(new PropertyOtherPage(this)),
      m_notebook(new PropertyNotebookPage(this))
{
    setObjectName(QStringLiteral("frmProperty"));
    setWindowTitle(QStringLiteral(" プロパティの読み込み中です..."));
    setWindowIcon(resources::ProgramIcon());
    setModal(false);

    m_tabs->setObjectName(QStringLiteral("TabStripp"));
    m_tabs->addTab(m_general, QStringLiteral("全般"));
    m_tabs->addTab(m_description, QStringLiteral("説明"));
    m_tabs->addTab(m_author, QStringLiteral("作者・レジ情報"));
    m_tabs->addTab(m_other, QStringLiteral("その他の情報"));
    m_tabs->addTab(m_notebook, QStringLiteral("追加情報"));
    for (PropertyPage* page : pages())
        connect(page, &PropertyPage::linkActivated, this, &frmProperty::cmd_proc_Click);

    // Left the two that act on the entry, right the two that close the sheet.
    m_buttons[FavoritesButton] = makeButton(QString(), FavoritesButton, this);
    m_buttons[ReloadButton] = makeButton(QStringLiteral("再読込(&R)"), ReloadButton, this);
    m_buttons[OkButton] = makeButton(QStringLiteral("OK(&O)"), OkButton, this);
    m_buttons[CancelButton] = makeButton(QStringLiteral("キャンセル(&C)"), CancelButton, this);
    QPushButton* favorites = m_buttons[FavoritesButton];
    favorites->setIcon(resources::Icon(resources::ImageList::Toolbar, u"Favorites"));
    favorites->setIconSize(QSize(20, 20));
    favorites->setToolTip(QStringLiteral("このライブラリをお気に入りに追加します。"));
    favorites->setAccessibleName(kFavoritesTitle);
    m_buttons[OkButton]->setDefault(true);
    connect(m_buttons[OkButton], &QPushButton::clicked, this, &frmProperty::cmb_ok_Click);
    connect(m_buttons[ReloadButton], &QPushButton::clicked, this, &frmProperty::cmb_reload_Click);
    connect(favorites, &QPushButton::clicked, this, &frmProperty::cmb_favorites_Click);
    connect(m_buttons[CancelButton], &QPushButton::clicked, this, &frmProperty::cmb_cancel_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(favorites);
    buttons->addWidget(m_buttons[ReloadButton]);
    buttons->addStretch(1);
    buttons->addWidget(m_buttons[OkButton]);
    buttons->addWidget(m_buttons[CancelButton]);
    // The picture button as tall as its neighbours.
    const int height = m_buttons[OkButton]->sizeHint().height();
    favorites->setFixedSize(height + 8, height);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);

    // A new sheet starts afresh: a cancel left over from elsewhere does not stop its read.
    update::runState().Cancel = false;
    const int tab = config::settings().OpenTabProperty;
    m_tabs->setCurrentIndex(tab >= GeneralTab && tab <= NotebookTab ? tab : GeneralTab);

    // The entry's details are read once the sheet is on screen, so it is drawn before the read
    // holds the program.
    RunOnceDrawn(this, [this] {
        Read();
        m_readDone = true;
    });

    setMinimumSize(sizeHint());
    resize(sizeHint().expandedTo(QSize(fontMetrics().averageCharWidth() * 100, 0)));
}

frmProperty::~frmProperty() = default;

void frmProperty::setDownloadStarter(std::function<void(const mainwindow::EntryKey&)> start)
{
    m_startDownload = std::move(start);
}

QList<PropertyPage*> frmProperty::pages() const
{
    return {m_general, m_description, m_author, m_other, m_notebook};
}

QWidget* frmProperty::box(int n) const
{
    for (PropertyPage* page : pages()) {
        if (QWidget* b = page->box(n))
            return b;
    }
    return nullptr;
}

QString frmProperty::boxText(int n) const
{
    for (PropertyPage* page : pages()) {
        if (page->box(n))
            return page->boxText(n);
    }
    return {};
}

QPushButton* frmProperty::linkButton(int n) const
{
    for (PropertyPage* page : pages()) {
        if (QPushButton* b = page->linkButton(n))
            return b;
    }
    return nullptr;
}

void frmProperty::setButtonsEnabled(bool enabled)
{
    for (QPushButton* button : m_buttons)
        button->setEnabled(enabled);
}

void frmProperty::Read()
{
    const QPointer<frmProperty> alive(this);
    {
        const mainwindow::WaitCursor wait;
        setButtonsEnabled(false);
        repaint();
        // A Cancel left set by another sheet or the update window would stop this read
        // before it began.
        update::runState().Cancel = false;
        update::AnalyzeSoftDetail(m_entry.base, m_entry.target, m_reload);
        // A message of the analysis lets the user close the sheet meanwhile.
        if (!alive)
            return;
        m_buttons[OkButton]->setEnabled(true);
        m_buttons[ReloadButton]->setEnabled(true);
        m_buttons[CancelButton]->setEnabled(true);
        m_buttons[FavoritesButton]->setEnabled(!(m_favoritesViewShown && m_favoritesViewShown()));
    }
    if (update::runState().Cancel)
        return; // the sheet is closing
    std::optional<catalogue::EntryRow> row;
    {
        catalogue::Db db;
        if (!catalogue::OpenCatalogue(db))
            return;
        row = catalogue::FindEntry(db, m_entry.base, m_entry.target);
    }
    // An entry deleted meanwhile leaves the sheet as it was.
    if (row)
        Fill(*row);
    LoadAddInfo();
}

void frmProperty::Fill(const catalogue::EntryRow& row)
{
    setWindowTitle(u' ' + row.SoftName + QStringLiteral(" のプロパティ"));
    m_general->fill(row);
    m_description->fill(row);
    m_author->fill(row);
    m_other->fill(row);
}

void frmProperty::LoadAddInfo()
{
    if (const std::optional<Notebook> notebook = LoadNotebook(m_entry.target))
        m_notebook->load(*notebook);
}

bool frmProperty::SaveAddInfo()
{
    QString error;
    if (SaveNotebook(m_entry.target, m_notebook->notebook(), &error))
        return true;
    // The notes stay in the boxes: the user may copy them or try again.
    msg::Show(error, QStringLiteral("追加情報の保存"), msg::Icon::Exclamation);
    return false;
}

void frmProperty::cmb_ok_Click()
{
    update::runState().Cancel = true;
    if (SaveAddInfo())
        accept();
}

void frmProperty::cmb_reload_Click()
{
    m_reload = true;
    Read();
    m_reload = false;
}

void frmProperty::cmb_favorites_Click()
{
    if (msg::Show(QStringLiteral("このライブラリをお気に入りに追加しますか?"), kFavoritesTitle,
                  msg::Icon::Question, msg::Buttons::YesNo, msg::Answer::Yes) != msg::Answer::Yes)
        return;
    QString error;
    bool marked = false;
    {
        const mainwindow::WaitCursor wait;
        marked = mainwindow::MarkFavorites({m_entry}, &error).has_value();
    }
    if (!marked) {
        util::TraceIfDebug(QStringLiteral("お気に入りに追加エラー(") + error + u')');
        return;
    }
    msg::Show(QStringLiteral("ライブラリをお気に入りに追加しました。"), kFavoritesTitle,
              msg::Icon::Information);
}

void frmProperty::cmb_cancel_Click()
{
    update::runState().Cancel = true;
    reject();
}

void frmProperty::cmd_proc_Click(int button, const QString& address)
{
    if (button == 1 && config::settings().UsePLMDMPropertyWindow == 1 && m_startDownload) {
        m_startDownload(m_entry);
        return;
    }
    if (!address.isEmpty() && m_openUrl)
        m_openUrl(address);
}

void frmProperty::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool enter = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
                       modifiers == Qt::NoModifier;
    const bool escape = event->key() == Qt::Key_Escape && modifiers == Qt::NoModifier;
    if (!enter && !escape) {
        QDialog::keyPressEvent(event);
        return;
    }
    event->accept();
    // On the notebook both keys belong to the box being typed in.
    if (m_tabs->currentIndex() == NotebookTab)
        return;
    QPushButton* button = m_buttons[enter ? OkButton : CancelButton];
    if (button->isEnabled())
        button->click();
}

} // namespace info
