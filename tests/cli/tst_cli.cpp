#include "catalogue/Catalogue.h"
#include "catalogue/Schema.h"
#include "config/Categories.h"
#include "config/Ini.h"
#include "config/Settings.h"
#include "support/TestFolder.h"
#include "talvex-sim/SimServerThread.h"
#include "talvex-sim/Site.h"
#include "update/RunState.h"
#include "update/UpdateRun.h"
#include "util/Messages.h"
#include "util/ProgramFolder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct CliRun
{
    int status = -1;
    QString out;
    QString err;
};

// Prepares a program folder: delivered category file, empty catalogue, settings that reach the
// simulated site through its proxy port.
void prepareFolder(const TestFolder& folder, quint16 port)
{
    QList<config::CategoryRecord> rows = config::StandardCategories().mid(0, 15);
    QStringList lines;
    for (const config::CategoryRecord& row : rows)
        lines.append(config::CategoryLine(row));
    folder.writeLines(config::kCategoryFile, lines);
    QVERIFY(catalogue::CreateEmptyCatalogue(folder.file(catalogue::kCatalogueFile)));
    msg::ScriptedSink quiet;
    config::WriteDefaultSettings();
    config::WriteIni(u"URL"_s, u"Proxy"_s, 2, config::kSettingsFile);
    config::WriteIni(u"URL"_s, u"ProxyName"_s, u"127.0.0.1"_s, config::kSettingsFile);
    config::WriteIni(u"URL"_s, u"ProxyPort"_s, port, config::kSettingsFile);
    config::WriteIni(u"CaChe"_s, u"Update"_s, 3, config::kSettingsFile);
}

CliRun runCli(const TestFolder& folder, const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(PELIMOND_CLI), QStringList{u"--folder="_s + folder.path()} + args);
    CliRun run;
    if (!process.waitForFinished(120000))
        return run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// Every folder and entry of the catalogue in key order, as comparable lines; the update moment
// differs from run to run and is left out.
QStringList catalogueLines(const QString& path)
{
    catalogue::Db db;
    if (!catalogue::OpenDb(db, path))
        return {u"(no catalogue)"_s};
    QStringList lines;
    catalogue::Statement* folders = db.select(
        u"SELECT TargetURL, Description, URLClass, UpdateFlg FROM T_Folders ORDER BY TargetURL"_s);
    while (folders && folders->next())
        lines.append(u"F "_s + folders->value(0).toString() + u'|' + folders->value(1).toString() +
                     u'|' + folders->value(2).toString() + u'|' + folders->value(3).toString());
    catalogue::Statement* entries = db.select(
        u"SELECT BaseURL, TargetURL, SoftName, Version, FileSize, FileType, NewFlag, PickUpURL, "
        "NewsURL, Description, RegiMoney, OpenDate, Ranking FROM T_Softwares "
        "ORDER BY BaseURL, TargetURL"_s);
    while (entries && entries->next()) {
        QStringList fields;
        for (int i = 0; i < 13; ++i)
            fields.append(entries->value(i).toString());
        lines.append(u"E "_s + fields.join(u'|'));
    }
    return lines;
}

} // namespace

class TstCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void updateGivesTheSameCatalogueAsTheUpdateWindow();
    void listPrintsTheListColumns();
    void detailReadsTheEntryPages();
    void aSiteThatDoesNotAnswerFails();
    void badCallsExitWithTwo();

private:
    std::shared_ptr<const talvexsim::Site> m_site;
    std::unique_ptr<talvexsim::SimServerThread> m_server;
};

void TstCli::initTestCase()
{
    m_site = std::make_shared<const talvexsim::Site>(5, 1);
    m_server = std::make_unique<talvexsim::SimServerThread>(m_site);
    QVERIFY(m_server->start());
}

void TstCli::cleanupTestCase()
{
    m_server->stop();
}

void TstCli::updateGivesTheSameCatalogueAsTheUpdateWindow()
{
    const QString start = config::SiteRoot + u"tpack/filearea/win/"_s;
    QStringList byCli;
    {
        TestFolder folder;
        prepareFolder(folder, m_server->port());
        const CliRun run = runCli(folder, {u"update"_s, start});
        QCOMPARE(run.status, 0);
        // One progress line per page, in the status bar's words.
        QVERIFY(run.err.contains(start + u"index.html を開いています..."_s));
        // The run's write-ahead log is written back when the run ends: one catalogue file.
        QVERIFY(!QFile::exists(folder.file(catalogue::kCatalogueFile + u"-wal"_s)));
        QVERIFY(!QFile::exists(folder.file(catalogue::kCatalogueFile + u"-shm"_s)));
        byCli = catalogueLines(folder.file(catalogue::kCatalogueFile));
    }
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    msg::ScriptedSink messages;
    config::LoadSettings();
    update::RunObserver observer;
    QVERIFY(update::RunUpdateWindow(&observer, start));
    QVERIFY(messages.shown.isEmpty());
    const QStringList byWindow = catalogueLines(folder.file(catalogue::kCatalogueFile));
    QVERIFY(byWindow.size() > 20);
    QCOMPARE(byCli, byWindow);
}

void TstCli::listPrintsTheListColumns()
{
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    const QString url = config::SiteRoot + u"tpack/filearea/win/"_s;
    QCOMPARE(runCli(folder, {u"update"_s, url}).status, 0);
    const QString key = catalogueLines(folder.file(catalogue::kCatalogueFile))
                            .filter(QRegularExpression(u"^E "_s))
                            .value(0)
                            .mid(2)
                            .section(u'|', 0, 0);
    QVERIFY(!key.isEmpty());
    const CliRun plain = runCli(folder, {u"list"_s, key});
    QCOMPARE(plain.status, 0);
    const QStringList lines = plain.out.split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(!lines.isEmpty());
    for (const QString& line : lines) {
        const QStringList fields = line.split(u'\t');
        QCOMPARE(fields.size(), 10);
        QVERIFY(QRegularExpression(u"^[-P][-R][-N]$"_s).match(fields[0]).hasMatch());
        QCOMPARE(fields[8], key);
    }
    const CliRun json = runCli(folder, {u"--json"_s, u"list"_s, key});
    const QJsonArray rows = QJsonDocument::fromJson(json.out.toUtf8()).array();
    QCOMPARE(rows.size(), lines.size());
    QCOMPARE(rows[0].toObject().value(u"base"_s).toString(), key);
    // An unknown folder lists nothing and is no error.
    const CliRun none = runCli(folder, {u"list"_s, config::SiteRoot + u"nothing/"_s});
    QCOMPARE(none.status, 0);
    QVERIFY(none.out.isEmpty());
}

void TstCli::detailReadsTheEntryPages()
{
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    const int win = m_site->folderByPath(u"tpack/filearea/win/"_s);
    QVERIFY(win >= 0);
    int withList = -1;
    for (int child : m_site->folder(win).children) {
        if (m_site->folder(child).hasList && !m_site->folder(child).packages.isEmpty()) {
            withList = child;
            break;
        }
    }
    QVERIFY(withList >= 0);
    const int index = m_site->folder(withList).packages.first();
    const talvexsim::Package& p = m_site->package(index);
    const talvexsim::Folder& f = m_site->folder(withList);
    const CliRun run = runCli(folder, {u"--json"_s, u"detail"_s, f.url, p.url});
    QCOMPARE(run.status, 0);
    const QJsonObject row = QJsonDocument::fromJson(run.out.toUtf8()).object();
    QCOMPARE(row.value(u"DetailRead"_s).toBool(), true);
    QCOMPARE(row.value(u"FileSize2"_s).toInteger(), m_site->detail(index).fileSize2);
    QCOMPARE(row.value(u"Author"_s).toString(), m_site->detail(index).author);
}

void TstCli::aSiteThatDoesNotAnswerFails()
{
    TestFolder folder;
    prepareFolder(folder, m_server->port());
    config::WriteIni(u"URL"_s, u"ProxyPort"_s, 1, config::kSettingsFile);
    config::WriteIni(u"URL"_s, u"TimeOut"_s, 1, config::kSettingsFile);
    const CliRun run = runCli(folder, {u"open"_s, config::SiteRoot + u"tpack/filearea/win/"_s});
    QVERIFY(run.status != 0);
    // The message box texts go to stderr as they stand.
    QVERIFY2(run.err.contains(u"接続失敗: データの取得に失敗しました。"_s), qPrintable(run.err));
}

void TstCli::badCallsExitWithTwo()
{
    TestFolder folder;
    for (const QStringList& args :
         {QStringList{}, QStringList{u"frobnicate"_s}, QStringList{u"list"_s},
          QStringList{u"detail"_s, u"one"_s}, QStringList{u"--bogus"_s, u"list"_s, u"x"_s}}) {
        const CliRun run = runCli(folder, args);
        QCOMPARE(run.status, 2);
        QVERIFY(run.err.contains(u"使い方: pelimond-cli"_s));
    }
    const CliRun help = runCli(folder, {u"--help"_s});
    QCOMPARE(help.status, 0);
    QVERIFY(help.out.contains(u"update [URL]"_s));
    // Neither a bad call nor --help writes anything into the program folder.
    QVERIFY(QDir(folder.path()).isEmpty());
}

QTEST_GUILESS_MAIN(TstCli)
#include "tst_cli.moc"
