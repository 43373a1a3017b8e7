// The main process's side: PrepareDownload starting a real download process, the unsafe names
// it refuses, and the four download methods with recording programs in place of the managers.

#include "catalogue/Catalogue.h"
#include "catalogue/Schema.h"
#include "config/Settings.h"
#include "download/DownloadCommand.h"
#include "download/PrepareDownload.h"
#include "download/Transfer.h"
#include "talvex-sim/RequestLog.h"
#include "talvex-sim/SimServerThread.h"
#include "tst_download.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

void saveEntry(const catalogue::EntryRow& row)
{
    QVERIFY(catalogue::CreateEmptyCatalogue(config::settings().dbname));
    catalogue::Db db;
    QVERIFY(catalogue::OpenCatalogue(db));
    QVERIFY(catalogue::SaveEntry(db, row));
}

// A program that writes each of its arguments on a line of args.txt beside it.
QString recordingProgram(const TestFolder& folder)
{
    const QString path = folder.file(u"record.sh"_s);
    folder.writeBytes(u"record.sh"_s,
                      "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" +
                          folder.file(u"args.part"_s).toUtf8() + "\"\nmv \"" +
                          folder.file(u"args.part"_s).toUtf8() + "\" \"" +
                          folder.file(u"args.txt"_s).toUtf8() + "\"\n");
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
    return path;
}

QStringList recordedArguments(const TestFolder& folder)
{
    QFile file(folder.file(u"args.txt"_s));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

// Processes running the program at path, by their executables in /proc.
int processesOf(const QString& path)
{
    int count = 0;
    const QStringList pids = QDir(u"/proc"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& pid : pids)
        count += QFileInfo(u"/proc/"_s + pid + u"/exe"_s).symLinkTarget() == path ? 1 : 0;
    return count;
}

QString managerFailure(const QString& name)
{
    return name + u"の呼び出しに失敗しました。\r\n\r\n"_s + name +
           u" がインストールされていないか\r\n"_s + name + u"のバージョンが古いです。\r\n"_s;
}

} // namespace

void TstDownload::prepareDownloadStartsTheDownloadProcess()
{
    // A copy of the program in the test's program folder: the download process reads this
    // folder's settings, which point it at the simulated site.
    const QString program = m_folder->file(u"pelimond"_s);
    QVERIFY(QFile::copy(QStringLiteral(PELIMOND_BINARY), program));
    download::SetDownloadProgramForTests(program);
    m_folder->writeLines(config::kSettingsFile,
                         {u"[URL]"_s, u"TimeOut=10"_s, u"UserAgent=Pelimond child"_s, u"Proxy=2"_s,
                          u"ProxyName=127.0.0.1"_s,
                          u"ProxyPort="_s + QString::number(simServer().port()), u"[PLMDM]"_s,
                          u"Folder=.\\DOWNLOAD"_s, u"FirstBoot=0"_s, u"OpenAfterDownload=0"_s});
    const QString name = u"便利  ツール v2"_s; // two blanks and Japanese arrive unchanged
    const catalogue::EntryRow row = entryRow(name, archiveUrl());
    saveEntry(row);

    QElapsedTimer clock;
    clock.start();
    QVERIFY(download::PrepareDownload(row.BaseURL, row.TargetURL));
    QVERIFY(clock.elapsed() < 2000); // the caller never waits for the download
    const QString entry = m_folder->file(u"DOWNLOAD/"_s + name);
    QCOMPARE(m_folder->readLines(u"DOWNLOAD/"_s + name + u"/LIBINFO.TXT"_s).value(1),
             u"ライブラリ名  : "_s + name);

    const QString archive = entry + u'/' + archiveUrl().section(u'/', -1);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(archive), 30000);
    QFile file(archive);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll() == archiveBytes());
    const QList<talvexsim::RequestRecord> log = simServer().requests().records();
    QCOMPARE(log.size(), 1);
    QCOMPARE(log[0].userAgent, u"Pelimond child"_s);
    // The download process ends with its window.
    QTRY_COMPARE_WITH_TIMEOUT(processesOf(program), 0, 10000);
}

void TstDownload::prepareDownloadRefusesUnsafeNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("told");
    QTest::newRow("..") << u".."_s << true;
    QTest::newRow("unknown entry") << u"(none)"_s << false;
}

void TstDownload::prepareDownloadRefusesUnsafeNames()
{
    QFETCH(QString, name);
    QFETCH(bool, told);
    download::SetDownloadProgramForTests(recordingProgram(*m_folder));
    catalogue::EntryRow row = entryRow(name, archiveUrl());
    saveEntry(row);
    if (!told)
        row.TargetURL += u"x"_s;
    QVERIFY(!download::PrepareDownload(row.BaseURL, row.TargetURL));
    QCOMPARE(m_messages->shown.size(), told ? 1 : 0);
    if (told) {
        QCOMPARE(m_messages->shown[0].icon, msg::Icon::Stop);
        QVERIFY(m_messages->shown[0].text.contains(u"フォルダ名を作れない"_s));
    }
    // Nothing written in the download folder or above it, and no process started.
    QVERIFY(!QFile::exists(m_folder->file(u"LIBINFO.TXT"_s)));
    QVERIFY(!QFile::exists(m_folder->file(u"DOWNLOAD/LIBINFO.TXT"_s)));
    QTest::qWait(200);
    QVERIFY(!QFile::exists(m_folder->file(u"args.txt"_s)));
}

void TstDownload::downloadMethods_data()
{
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("key");           // the settings key given a command line
    QTest::addColumn<QString>("command");       // "@" stands for the recording program
    QTest::addColumn<QStringList>("arguments"); // "%a" the address, "%f" the entry folder
    QTest::addColumn<QString>("failure");       // the manager named in the message, or ""
    QTest::newRow("own download") << 0 << QString() << QString() << QStringList{u"%f"_s}
                                  << QString();
    QTest::newRow("browser") << 1 << QString() << QString() << QStringList() << QString();
    QTest::newRow("Iria, address placed") << 2 << u"IriaCommand"_s << u"@ --add=%1 -q"_s
                                          << QStringList{u"--add=%a"_s, u"-q"_s} << QString();
    QTest::newRow("Irvine, address appended")
        << 3 << u"IrvineCommand"_s << u"\"@\""_s << QStringList{u"%a"_s} << QString();
    QTest::newRow("Iria not configured")
        << 2 << QString() << QString() << QStringList() << u"Iria"_s;
    QTest::newRow("Irvine cannot start")
        << 3 << u"IrvineCommand"_s << u"/nonexistent/irvine %1"_s << QStringList() << u"Irvine"_s;
    QTest::newRow("unknown method") << 7 << QString() << QString() << QStringList() << QString();
}

void TstDownload::downloadMethods()
{
    QFETCH(int, method);
    QFETCH(QString, key);
    QFETCH(QString, command);
    QFETCH(QStringList, arguments);
    QFETCH(QString, failure);
    const QString recorder = recordingProgram(*m_folder);
    download::SetDownloadProgramForTests(recorder);
    QStringList ini{u"[PLMDM]"_s};
    if (!key.isEmpty())
        ini.append(key + u'=' + QString(command).replace(u'@', recorder));
    m_folder->writeLines(config::kSettingsFile, ini);
    // An address a shell would take apart; it arrives as one argument, untouched.
    const QString address = u"http://dl.talvex.example/pub/a b;$(touch x)&'q'.lzh"_s;
    const catalogue::EntryRow row = entryRow(u"Tool"_s, address);
    saveEntry(row);
    QStringList opened;
    const info::SelectedEntry entry{row.BaseURL, row.TargetURL, row.SoftName};
    download::DownloadSelectedEntry(method, info::CurrentEntry{}, entry, nullptr,
                                    [&opened](const QString& url) { opened.append(url); });

    QCOMPARE(opened, method == download::BrowserDownload ? QStringList{address} : QStringList());
    if (!failure.isEmpty()) {
        QCOMPARE(m_messages->shown.size(), 1);
        QCOMPARE(m_messages->shown[0].text, managerFailure(failure));
        QCOMPARE(m_messages->shown[0].title, failure + u"に送れませんでした。"_s);
        QCOMPARE(m_messages->shown[0].icon, msg::Icon::Stop);
        return;
    }
    QVERIFY(m_messages->shown.isEmpty());
    if (arguments.isEmpty()) {
        QTest::qWait(200);
        QVERIFY(!QFile::exists(m_folder->file(u"args.txt"_s)));
        return;
    }
    arguments.replaceInStrings(u"%a"_s, address);
    arguments.replaceInStrings(u"%f"_s, m_folder->file(u"DOWNLOAD/Tool"_s));
    QTRY_COMPARE_WITH_TIMEOUT(recordedArguments(*m_folder), arguments, 10000);
    QVERIFY(!QFile::exists(m_folder->file(u"x"_s)));
}
