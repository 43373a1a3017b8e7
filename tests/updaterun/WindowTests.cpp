// The update window, offscreen: what it shows while its run goes, and its ways to cancel.

#include "RunHelpers.h"
#include "talvex-sim/Site.h"
#include "tst_updaterun.h"
#include "update/RunState.h"
#include "update/frmLibUpdate.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;
using talvexsim::Folder;

namespace {

frmLibUpdate* openWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<frmLibUpdate*>(w); window && window->isVisible())
            return window;
    }
    return nullptr;
}

const Folder* smallSubtree()
{
    return findSiteFolder([](const Folder& f) {
        return f.area == talvexsim::kAreaLibrary && f.depth == 2 && f.children.size() >= 2;
    });
}

} // namespace

void TstUpdateRun::windowCancel_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel button twice") << u"twice"_s;
    QTest::newRow("Esc") << u"escape"_s;
    QTest::newRow("close box") << u"close"_s;
}

void TstUpdateRun::windowCancel()
{
    QFETCH(QString, how);
    const Folder* f = smallSubtree();
    QVERIFY(f);
    RecordingRun run;
    bool stayedOpen = false;
    run.onStatus = [&](const QString& text) {
        if (!text.endsWith(u" を開いています..."_s) || run.folders.size() != 2)
            return;
        frmLibUpdate* window = openWindow();
        QVERIFY(window);
        // While the run goes the window shows the folder and the count, under a wait cursor.
        QCOMPARE(window->label(1)->text(), run.folders.last());
        QVERIFY(!run.found.isEmpty());
        QCOMPARE(window->label(2)->text(), update::FoundFoldersText(run.found.last()));
        QVERIFY(update::runState().UpdateInProgress);
        QVERIFY(QApplication::overrideCursor() &&
                QApplication::overrideCursor()->shape() == Qt::WaitCursor);
        auto* cancel = window->findChild<QPushButton*>(u"cmd_cancel"_s);
        if (how == u"escape")
            QTest::keyClick(window, Qt::Key_Escape);
        else if (how == u"close")
            window->close();
        else
            cancel->click();
        if (how == u"twice")
            cancel->click();
        stayedOpen = window->isVisible();
    };

    QVERIFY(ShowUpdateWindow(nullptr, f->url, &run));

    // The page being opened is still fetched; then the run stops, the window closes and the run
    // state is back at rest.
    QVERIFY(stayedOpen);
    QVERIFY(update::runState().Cancel);
    QCOMPARE(requestedUrls().size(), 2);
    QCOMPARE(run.folders.first(), f->url);
    QCOMPARE(run.folders.size(), 2);
    QVERIFY(!openWindow());
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(!update::runState().UpdateInProgress);
    QCOMPARE(update::runState().FoundFolders, 0);
    QVERIFY(m_messages->shown.isEmpty());
}
