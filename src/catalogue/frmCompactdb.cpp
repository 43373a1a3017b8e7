#include "catalogue/frmCompactdb.h"

#include "catalogue/Compact.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>
#include <thread>

frmCompactdb::frmCompactdb(const QString& catalogue, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_catalogue(catalogue), Label1(new QLabel(this)), picanimate(new QProgressBar(this))
{
    setObjectName(QStringLiteral("frmCompactdb"));
    setWindowTitle(QStringLiteral("データベースを最適化中です..."));
    setModal(true);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setText(QStringLiteral("データベースを最適化しています...."));
    picanimate->setObjectName(QStringLiteral("picanimate"));
    picanimate->setRange(0, 0); // an indeterminate, continuously moving bar
    picanimate->setTextVisible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(picanimate);
    setFixedWidth(360);
}

frmCompactdb::~frmCompactdb() = default;

void frmCompactdb::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    // Once the window is on screen, so it is drawn before the work starts.
    QTimer::singleShot(0, this, &frmCompactdb::runCompaction);
}

void frmCompactdb::runCompaction()
{
    m_working = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The compaction runs on its own thread (with its own catalogue connection) while this
    // thread keeps the window painted and animated.
    QEventLoop wait;
    catalogue::CompactResult result = catalogue::CompactResult::Failed;
    std::thread worker([this, &wait, &result] {
        result = catalogue::CompactCatalogue(m_catalogue);
        QMetaObject::invokeMethod(&wait, &QEventLoop::quit, Qt::QueuedConnection);
    });
    wait.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    m_result = result;
    QApplication::restoreOverrideCursor();
    m_working = false;
    accept();
}

void frmCompactdb::reject()
{
    if (!m_working && !m_started)
        QDialog::reject();
}

void frmCompactdb::closeEvent(QCloseEvent* event)
{
    if (m_working)
        event->ignore();
    else
        QDialog::closeEvent(event);
}
