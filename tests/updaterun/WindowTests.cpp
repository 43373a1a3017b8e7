// The update window, offscreen: what it shows while its run goes, and its three ways to cancel.

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

// Reads the window as the run reports to it (the window has updated itself by then).
class WindowProbe final : public RecordingRun
{
public:
    void folderStarted(const QString& folderUrl) override
    {
        RecordingRun::folderStarted(folderUrl);
        frmLibUpdate* window = openWindow();
        if (!window)
            return;
        shownUrls.append(window->label(1)->text());
        caption = window->windowTitle();
        fixedLabel = window->label(0)->text();
        cancelCaption = window->findChild<QPushButton*>(u"cmd_cancel"_s)->text();
        inProgress = update::runState().UpdateInProgress;
        waitCursor = QApplication::overrideCursor() &&
                     QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    }
    void foundFolder(int total) override
    {
        RecordingRun::foundFolder(total);
        if (frmLibUpdate* window = openWindow())
            shownCounts.append(window->label(2)->text());
    }

    QStringList shownUrls;
    QStringList shownCounts;
    QString caption;
    QString fixedLabel;
    QString cancelCaption;
    bool inProgress = false;
    bool waitCursor = false;
};

const Folder* smallSubtree()
{
    return findSiteFolder([](const Folder& f) {
        return f.area == talvexsim::kAreaLibrary && f.depth == 2 && f.children.size() >= 2;
    });
}

} // namespace

void TstUpdateRun::windowShowsTheRunAndClosesItself()
{
    const Folder* f = smallSubtree();
    QVERIFY(f);
    WindowProbe probe;
    QVERIFY(ShowUpdateWindow(nullptr, f->url, &probe));

    QCOMPARE(probe.caption, u"ライブラリリストを取得しています。"_s);
    QCOMPARE(probe.fixedLabel, u"ライブラリリストを取得しています..."_s);
    QCOMPARE(probe.cancelCaption, u"キャンセル(&C)"_s);
    QCOMPARE(probe.shownUrls, probe.folders);
    QCOMPARE(probe.folders.first(), f->url);
    for (int c : f->children)
        QVERIFY(probe.folders.contains(simSite().folder(c).url));
    QVERIFY(!probe.shownCounts.isEmpty());
    QCOMPARE(probe.shownCounts.last(), update::FoundFoldersText(int(probe.found.size())));
    QCOMPARE(probe.shownCounts.first(), u"1件のライブラリが見つかりました。"_s);
    QVERIFY(probe.inProgress);
    QVERIFY(probe.waitCursor);
    // The window has gone, and the run state is back at rest.
    QVERIFY(!openWindow());
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(update::runState().UpdateTargetUrl, f->url);
    QVERIFY(!update::runState().UpdateInProgress);
    QCOMPARE(update::runState().FoundFolders, 0);
    QVERIFY(m_messages->shown.isEmpty());
}

void TstUpdateRun::windowCancel_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel button") << u"button"_s;
    QTest::newRow("Cancel button twice") << u"twice"_s;
    QTest::newRow("Esc") << u"escape"_s;
    QTest::newRow("close box") << u"close"_s;
}

void TstUpdateRun::windowCancel()
{
    QFETCH(QString, how);
    const Folder* f = smallSubtree();
    QVERIFY(f);
    WindowProbe probe;
    bool stayedOpen = false;
    probe.onStatus = [&](const QString& text) {
        if (!text.endsWith(u" を開いています..."_s) || probe.folders.size() != 2)
            return;
        frmLibUpdate* window = openWindow();
        QVERIFY(window);
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

    QVERIFY(ShowUpdateWindow(nullptr, f->url, &probe));

    // The page being opened is still fetched; then the run stops and the window closes.
    QVERIFY(stayedOpen);
    QVERIFY(update::runState().Cancel);
    QCOMPARE(requestedUrls().size(), 2);
    QCOMPARE(probe.folders.size(), 2);
    QVERIFY(!openWindow());
    QVERIFY(m_messages->shown.isEmpty());
}
