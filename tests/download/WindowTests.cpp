// The download window: the transfer on its own thread while the window shows the progress and
// stays responsive; the end told, the folder opened, キャンセル.

#include "config/Settings.h"
#include "download/Transfer.h"
#include "download/frmDownload.h"
#include "talvex-sim/FaultTable.h"
#include "talvex-sim/SimServerThread.h"
#include "tst_download.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// A window for the prepared entry of the given fault whose folder openings are recorded, and a
// timer that looks at it every 20 ms while it runs.
struct Window
{
    Window(const TestFolder& folder, const char* fault)
    {
        config::settings().OpenAfterDownload = 1;
        simServer().faults().add(*talvexsim::FaultRule::parse(QString::fromLatin1(fault)));
        info = preparedEntry(folder, u"便利ツール"_s, archiveUrl());
        window.setPrtyDownFile(info.folder);
        window.setFolderOpener([this](const QString& f) { opened.append(f); });
        watch.setInterval(20);
        QObject::connect(&watch, &QTimer::timeout, &watch, [this] { onWatch(); });
        watch.start();
    }
    QString text(const char* name) const
    {
        return window.findChild<QLabel*>(QString::fromLatin1(name))->text();
    }
    int bar() const { return window.findChild<QProgressBar*>(u"prbar"_s)->value(); }
    QByteArray file(const QString& suffix = {}) const
    {
        QFile f(info.localFile + suffix);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    download::LibInfo info;
    download::frmDownload window;
    QStringList opened;
    QTimer watch;
    std::function<void()> onWatch = [] {};
};

} // namespace

void TstDownload::windowShowsProgressWhileResponsive()
{
    Window w(*m_folder, "trickle:131072:40@/pub/*"); // about a second for the archive
    QVERIFY(w.window.Load());
    QCOMPARE(w.window.windowTitle(), u"便利ツールをダウンロード中です..."_s);
    QCOMPARE(w.text("lbl_get_0"), w.window.windowTitle());
    QCOMPARE(w.window.findChild<QLineEdit*>(u"txt_get"_s)->text(), w.info.localFile);
    QCOMPARE(w.text("lbl_get_1"), u"0KB / 3,072KB"_s);
    const QRegularExpression size(u"^[1-9][0-9,]*KB / 3,072KB$"_s);
    const QRegularExpression time(u"^([0-9]+時間 )?([0-9]+分 )?[0-9]+秒$"_s);
    int midway = 0;
    qint64 longestGap = 0;
    QElapsedTimer gap;
    gap.start();
    w.onWatch = [&] {
        longestGap = qMax(longestGap, gap.restart());
        const QString s = w.text("lbl_get_1");
        if (!size.match(s).hasMatch() || s == u"3,072KB / 3,072KB")
            return;
        ++midway;
        QVERIFY2(time.match(w.text("lbl_get_2")).hasMatch(), qPrintable(w.text("lbl_get_2")));
        QVERIFY(w.bar() > 0 && w.bar() < kArchiveBytes);
    };
    QCOMPARE(w.window.ShowModal(), int(QDialog::Accepted));
    // The window's own thread never waited on the network.
    QVERIFY2(longestGap < 250, qPrintable(QString::number(longestGap)));
    QVERIFY(midway >= 3);
    QVERIFY(!w.window.isVisible());
    QVERIFY(m_messages->shown.isEmpty());
    QCOMPARE(w.opened, QStringList{w.info.folder});
    QCOMPARE(w.bar(), 0);
    QVERIFY(w.file() == archiveBytes());
}

void TstDownload::windowTellsFailureAndOpensFolder()
{
    Window w(*m_folder, "status:503@/pub/*");
    QCOMPARE(w.window.ShowModal(), int(QDialog::Rejected));
    QCOMPARE(m_messages->shown.size(), 1);
    const msg::Message& shown = m_messages->shown[0];
    QCOMPARE(shown.title, download::kTransferErrorTitle);
    QCOMPARE(shown.icon, msg::Icon::Stop);
    QVERIFY2(shown.text.contains(u"(HTTP 503)"_s), qPrintable(shown.text));
    QCOMPARE(w.opened, QStringList{w.info.folder});
    QVERIFY(!QFile::exists(w.info.localFile));
}

void TstDownload::windowCancelKeepsThePart()
{
    Window w(*m_folder, "trickle:16384:50@/pub/*"); // some ten seconds for the archive
    QElapsedTimer clock;
    qint64 receivedAtClick = 0;
    w.onWatch = [&] {
        const download::DownloadJob* job = w.window.job();
        if (clock.isValid() || !job || job->control().received() == 0)
            return;
        receivedAtClick = job->control().received();
        clock.start();
        w.window.findChild<QPushButton*>(u"cmd_cancel"_s)->click();
    };
    QCOMPARE(w.window.ShowModal(), int(QDialog::Rejected));
    QVERIFY(clock.isValid());
    QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!w.window.isVisible());
    QVERIFY(m_messages->shown.isEmpty());
    QVERIFY(w.opened.isEmpty());
    QVERIFY(!QFile::exists(w.info.localFile));
    const QByteArray kept = w.file(download::kPartSuffix);
    QVERIFY(kept.size() >= receivedAtClick && kept.size() < kArchiveBytes);
    QVERIFY(kept == archiveBytes().left(kept.size()));
}
