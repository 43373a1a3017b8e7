#include "update/frmLibUpdate.h"

#include "resources/AnimationWidget.h"
#include "resources/IconNames.h"
#include "update/RunState.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QLabel* makeLabel(QWidget* parent, int index)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QStringLiteral("lbl_get_") + QString::number(index));
    // Addresses come from the site's pages: never read them as markup.
    label->setTextFormat(Qt::PlainText);
    // A long address is cut at the window's edge rather than widening the window.
    label->setMinimumWidth(420);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    return label;
}

} // namespace

frmLibUpdate::frmLibUpdate(const QString& targetUrl, update::RunObserver* forward, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_targetUrl(targetUrl), m_forward(forward),
      picanimate(new resources::AnimationWidget(resources::UpdateAnimation, this)),
      cmd_cancel(new QPushButton(QStringLiteral("キャンセル(&C)"), this))
{
    setObjectName(QStringLiteral("frmLibUpdate"));
    setWindowTitle(QStringLiteral("ライブラリリストを取得しています。"));
    setModal(true);
    picanimate->setObjectName(QStringLiteral("picanimate"));
    for (int i = 0; i < int(lbl_get.size()); ++i)
        lbl_get[i] = makeLabel(this, i);
    lbl_get[0]->setText(QStringLiteral("ライブラリリストを取得しています..."));
    cmd_cancel->setObjectName(QStringLiteral("cmd_cancel"));
    cmd_cancel->setAutoDefault(false);
    connect(cmd_cancel, &QPushButton::clicked, this, &frmLibUpdate::cmd_cancel_Click);

    auto* labels = new QVBoxLayout;
    for (QLabel* label : lbl_get)
        labels->addWidget(label);
    auto* top = new QHBoxLayout;
    top->addWidget(picanimate, 0, Qt::AlignTop);
    top->addLayout(labels, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmd_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

frmLibUpdate::~frmLibUpdate() = default;

void frmLibUpdate::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    picanimate->start();
    // Once the window is on screen, so it is drawn before the run starts.
    QTimer::singleShot(0, this, &frmLibUpdate::Activate);
}

void frmLibUpdate::Activate()
{
    if (m_cancelled) {
        accept();
        return;
    }
    m_running = true;
    repaint();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_succeeded = update::RunUpdateWindow(this, m_targetUrl);
    QApplication::restoreOverrideCursor();
    m_running = false;
    picanimate->stop();
    accept();
}

void frmLibUpdate::cmd_cancel_Click()
{
    // The run reads the flag between its steps; a second request changes nothing.
    m_cancelled = true;
    if (m_running)
        update::runState().Cancel = true;
}

void frmLibUpdate::reject()
{
    cmd_cancel_Click();
}

void frmLibUpdate::closeEvent(QCloseEvent* event)
{
    // The window goes when the run has stopped, not before.
    event->ignore();
    cmd_cancel_Click();
}

void frmLibUpdate::setLabel(int index, const QString& text)
{
    lbl_get[index]->setText(text);
    lbl_get[index]->repaint();
}

void frmLibUpdate::folderStarted(const QString& folderUrl)
{
    setLabel(1, folderUrl);
    if (m_forward)
        m_forward->folderStarted(folderUrl);
}

void frmLibUpdate::statusText(const QString& text)
{
    if (m_forward)
        m_forward->statusText(text);
}

void frmLibUpdate::progressText(const QString& text)
{
    if (m_forward)
        m_forward->progressText(text);
}

void frmLibUpdate::foundFolder(int total)
{
    setLabel(2, update::FoundFoldersText(total));
    if (m_forward)
        m_forward->foundFolder(total);
}

void frmLibUpdate::percentAnalysed(int percent)
{
    if (m_forward)
        m_forward->percentAnalysed(percent);
}

bool ShowUpdateWindow(QWidget* parent, const QString& targetUrl, update::RunObserver* forward)
{
    update::runState().UpdateTargetUrl = targetUrl;
    frmLibUpdate window(targetUrl, forward, parent);
    window.exec();
    return window.succeeded();
}
