// The exported pages in a real browser: entries of a catalogue filled from the simulated site are
// saved as pages, and headless Chromium (driven by browser_check.py) opens the frameset and
// checks the list frame. The simulated site is Chromium's proxy, so the main frame shows its site
// map. A screenshot is left in the build folder.
#include "catalogue/Catalogue.h"
#include "catalogue/Schema.h"
#include "config/Settings.h"
#include "export/PageExport.h"
#include "support/TestFolder.h"
#include "talvex-sim/RequestLog.h"
#include "talvex-sim/SimServerThread.h"
#include "talvex-sim/Site.h"
#include "update/RunState.h"
#include "update/UpdateRun.h"
#include "util/Messages.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <algorithm>

using namespace Qt::StringLiterals;

class TstExportBrowser : public QObject
{
    Q_OBJECT

private slots:
    void chromiumShowsTheExportedPages();
};

void TstExportBrowser::chromiumShowsTheExportedPages()
{
    const auto site = std::make_shared<const talvexsim::Site>(20240517, 1);
    talvexsim::SimServerThread server(site);
    QVERIFY(server.start());

    TestFolder folder;
    folder.loadFirstRunSoftTypes();
    msg::ScriptedSink messages;
    config::Settings& s = config::settings();
    s.dbname = folder.file(u"Pelimond.mdb"_s);
    QVERIFY(catalogue::CreateEmptyCatalogue(s.dbname));
    s.CacheFolder = folder.file(u"CACHE"_s);
    s.Update = 3;
    s.TimeOut = 10;
    s.UserAgent = config::ProgramVersionText();
    s.Proxy = 2;
    s.ProxyName = u"127.0.0.1"_s;
    s.ProxyPort = server.port();
    const QDir images(QStringLiteral(PELIMOND_WEBIMAGE_DIR));
    QVERIFY(QDir().mkpath(folder.file(u"WEBIMAGE"_s)));
    for (const QString& name : images.entryList({u"*.gif"_s}, QDir::Files))
        QVERIFY(QFile::copy(images.filePath(name), folder.file(u"WEBIMAGE/"_s + name)));

    // A folder of the library whose list holds articles, so the marks' images are shown too.
    const auto hasArticles = [&site](const talvexsim::Folder& f) {
        return std::any_of(f.packages.begin(), f.packages.end(), [&site](int p) {
            return !site->package(p).pickUpUrl.isEmpty() && !site->package(p).newsUrl.isEmpty();
        });
    };
    const auto chosen = std::find_if(
        site->folders().begin(), site->folders().end(), [&](const talvexsim::Folder& f) {
            return f.area == talvexsim::kAreaLibrary && f.hasList && f.packages.size() >= 4 &&
                   f.packages.size() <= 30 && hasArticles(f);
        });
    QVERIFY(chosen != site->folders().end());
    update::runState().CurrentArea = chosen->area;
    QVERIFY(update::UpdateFolder(nullptr, chosen->url, true, false));
    QVERIFY(messages.shown.isEmpty());

    QList<catalogue::EntryRow> rows;
    {
        catalogue::Db db;
        QVERIFY(catalogue::OpenCatalogue(db));
        rows = catalogue::FolderEntries(db, chosen->url);
    }
    QCOMPARE(rows.size(), chosen->packages.size());
    // The selection in a list order other than the catalogue's.
    std::reverse(rows.begin(), rows.end());
    QList<mainwindow::EntryKey> entries;
    QJsonArray expected;
    for (const catalogue::EntryRow& row : rows) {
        entries.append({row.BaseURL, row.TargetURL});
        expected.append(QJsonObject{{u"name"_s, row.SoftName}, {u"href"_s, row.TargetURL}});
    }
    const QString frameset = folder.file(u"ページ/"_s + chosen->name + u".html"_s);
    QVERIFY(QDir().mkpath(folder.file(u"ページ"_s)));
    QVERIFY(exportpages::WriteExport(frameset, entries));
    QFile expect(folder.file(u"expected.json"_s));
    QVERIFY(expect.open(QIODevice::WriteOnly));
    expect.write(QJsonDocument(expected).toJson());
    expect.close();

    const QString screenshot = QStringLiteral(PELIMOND_SHOT_DIR) + u"/exported_pages.png"_s;
    QFile::remove(screenshot);
    QProcess check;
    check.setProcessChannelMode(QProcess::SeparateChannels);
    check.start(QStringLiteral(PELIMOND_PYTHON),
                {QStringLiteral(PELIMOND_BROWSER_CHECK), u"--frameset"_s, frameset, u"--expect"_s,
                 expect.fileName(), u"--screenshot"_s, screenshot, u"--proxy"_s,
                 u"127.0.0.1:"_s + QString::number(server.port())});
    QVERIFY2(check.waitForStarted(), qPrintable(check.errorString()));
    QVERIFY(check.waitForFinished(180000));
    const QString out = QString::fromUtf8(check.readAllStandardOutput());
    const QString err = QString::fromUtf8(check.readAllStandardError());
    QVERIFY2(check.exitStatus() == QProcess::NormalExit && check.exitCode() == 0,
             qPrintable(out + err));
    qInfo("%s", qPrintable(out.trimmed()));
    QVERIFY(QFileInfo(screenshot).size() > 0);
    // The browser asked the site for the site map of the main frame.
    QVERIFY(!server.requests().recordsFor(exportpages::SiteMapUrl()).isEmpty());
}

QTEST_GUILESS_MAIN(TstExportBrowser)
#include "tst_exportbrowser.moc"
