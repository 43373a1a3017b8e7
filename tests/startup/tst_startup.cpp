#include "config/Ini.h"
#include "config/Settings.h"
#include "download/Transfer.h"
#include "mainwindow/frmMain.h"
#include "resources/Icons.h"
#include "startup/CommandLine.h"
#include "startup/Launcher.h"
#include "startup/QtTranslations.h"
#include "startup/StepGuard.h"
#include "startup/frmDownloadFolder.h"
#include "support/TestFolder.h"
#include "util/Messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <stdexcept>

using namespace Qt::StringLiterals;
using startup::Launcher;
using startup::StartPath;

namespace {

const QString kIni = u"Pelimond.INI"_s;
const QString kRefusal = u"同じ処理がこのコンピュータで既に動作中です。\r\n"
                         u"処理を終了させてから、起動してください。\r\n\r\n"_s;

QString plmdm(const QString& key)
{
    return config::ReadIni(kIni, u"PLMDM"_s, key, u"<missing>"_s);
}

// A copy of the real program inside the test's program folder, so that its program folder is
// the test's and nothing it writes lands anywhere else.
QString copyProgram(const TestFolder& folder)
{
    const QString target = folder.file(u"pelimond"_s);
    if (!QFile::copy(QStringLiteral(PELIMOND_BINARY), target))
        return {};
    QFile::setPermissions(target, QFile::permissions(target) | QFile::ExeOwner);
    return target;
}

void writeLibInfo(const TestFolder& folder, const QString& entry)
{
    folder.writeLines(entry + u"/LIBINFO.TXT"_s,
                      {QString(70, u'-'), u"ライブラリ名  : Tool"_s, u"バージョン    : 1.0"_s,
                       u"ファイル名    : http://dl.talvex.example/a/tool.lzh"_s,
                       u"ファイルタイプ: フリー"_s, u"ファイルサイズ: 2,048 バイト"_s});
}

} // namespace

class TstStartup : public QObject
{
    Q_OBJECT

private slots:
    void parseCommandLine_data();
    void parseCommandLine();
    void optionsAnswerWithoutTouchingTheFolder_data();
    void optionsAnswerWithoutTouchingTheFolder();
    void noSettingsFileTellsThenShowsFirstStartWindow();
    void firstStartWindowEnds_data();
    void firstStartWindowEnds();
    void firstStartWindowRefusesAFolderTheFileCannotHold();
    void runningProgramRefusesAndItsCrashLeavesNoBlock();
    void downloadModeSkipsInstanceTestAndFirstStart();
    void downloadModeWithoutInformationFileTellsAndEnds();
    void closingMainWindowEndsTheProgram();
    void failingStepIsTracedAndStartupGoesOn();
    void standardTextsAndIconsAreTheProgramsOwn();
};

void TstStartup::parseCommandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    using K = startup::LaunchKind;
    QTest::newRow("none") << QStringList{} << int(K::Interactive) << QString();
    QTest::newRow("empty argument") << QStringList{u""_s} << int(K::Interactive) << QString();
    QTest::newRow("folder") << QStringList{u"/d/Tool"_s} << int(K::Download) << u"/d/Tool"_s;
    QTest::newRow("folder with blanks, split")
        << QStringList{u"C:\\Pelimond\\DOWNLOAD\\My"_s, u"Tool"_s} << int(K::Download)
        << u"C:\\Pelimond\\DOWNLOAD\\My Tool"_s;
    QTest::newRow("later piece starting with --")
        << QStringList{u"/d/a"_s, u"--b"_s} << int(K::Download) << u"/d/a --b"_s;
    QTest::newRow("--help") << QStringList{u"--help"_s} << int(K::Help) << u"--help"_s;
    QTest::newRow("--version") << QStringList{u"--version"_s} << int(K::Version) << u"--version"_s;
    QTest::newRow("unknown option")
        << QStringList{u"--folder"_s} << int(K::BadOption) << u"--folder"_s;
    QTest::newRow("option with extra argument")
        << QStringList{u"--version"_s, u"x"_s} << int(K::BadOption) << u"--version x"_s;
}

void TstStartup::parseCommandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, kind);
    QFETCH(QString, text);
    const startup::CommandLine result = startup::ParseCommandLine(arguments);
    QCOMPARE(int(result.kind), kind);
    QCOMPARE(result.text, text);
}

void TstStartup::optionsAnswerWithoutTouchingTheFolder_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("--help") << u"--help"_s << 0 << startup::UsageText() << QString();
    QTest::newRow("--version") << u"--version"_s << 0 << config::ProgramVersionText() + u'\n'
                               << QString();
    QTest::newRow("unknown") << u"--nonsense"_s << 2 << QString() << startup::UsageText();
}

void TstStartup::optionsAnswerWithoutTouchingTheFolder()
{
    QFETCH(QString, option);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    TestFolder folder;
    const QString program = copyProgram(folder);
    QVERIFY(!program.isEmpty());
    QProcess process;
    // A platform that does not exist: creating the application object would abort the run.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"no-such-platform"_s);
    process.setProcessEnvironment(env);
    process.start(program, {option});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), exitCode);
    QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()), out);
    QVERIFY(QString::fromUtf8(process.readAllStandardError()).endsWith(err));
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"pelimond"_s});
}

void TstStartup::noSettingsFileTellsThenShowsFirstStartWindow()
{
    TestFolder folder;
    msg::ScriptedSink sink;
    Launcher launcher;
    QCOMPARE(launcher.Start(QString()), StartPath::FirstStart);
    QCOMPARE(sink.shown.size(), 1);
    QCOMPARE(sink.shown[0].text,
             u"定義ファイル (Pelimond.INI) が見つかりません。\r\nデフォルト値を使用します。"_s);
    QCOMPARE(sink.shown[0].icon, msg::Icon::Stop);
    QVERIFY(launcher.firstStartWindow() && launcher.firstStartWindow()->isVisible());
    QVERIFY(!launcher.mainWindow());
    QCOMPARE(launcher.firstStartWindow()->findChild<QLineEdit*>(u"inp"_s)->text(),
             folder.path() + u"/DOWNLOAD"_s);
    QCOMPARE(plmdm(u"FirstBoot"_s), u"1"_s);
}

void TstStartup::firstStartWindowEnds_data()
{
    QTest::addColumn<int>("key"); // 0: the close box
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("inMemory"); // "@" stands for the program folder
    const int set = Qt::Key_Return;        // the set button is the default button
    QTest::newRow("set, empty") << set << QString() << u".\\DOWNLOAD"_s << u"@/DOWNLOAD"_s;
    QTest::newRow("set, blanks only") << set << u"   "_s << u".\\DOWNLOAD"_s << u"@/DOWNLOAD"_s;
    QTest::newRow("set, relative") << set << u".\\保存先\\"_s << u".\\保存先\\"_s << u"@/保存先"_s;
    QTest::newRow("set, absolute")
        << set << u"/srv/ライブラリ"_s << u"/srv/ライブラリ"_s << u"/srv/ライブラリ"_s;
    // Closing keeps the first start for the next time.
    QTest::newRow("close box") << 0 << u"/elsewhere"_s << u".\\Old"_s << QString();
    QTest::newRow("Esc") << int(Qt::Key_Escape) << u"/elsewhere"_s << u".\\Old"_s << QString();
}

void TstStartup::firstStartWindowEnds()
{
    QFETCH(int, key);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, inMemory);
    TestFolder folder;
    folder.writeLines(kIni, {u"[PLMDM]"_s, u"Folder=.\\Old"_s, u"FirstBoot=1"_s});
    const bool setting = key == Qt::Key_Return;
    {
        Launcher launcher;
        QCOMPARE(launcher.Start(QString()), StartPath::FirstStart);
        startup::frmDownloadFolder* window = launcher.firstStartWindow();
        window->findChild<QLineEdit*>(u"inp"_s)->setText(typed);
        if (key)
            QTest::keyClick(window, Qt::Key(key));
        else
            QVERIFY(window->close());
        QVERIFY(!window->isVisible());
        QVERIFY(launcher.mainWindow() && launcher.mainWindow()->isVisible());
        QCOMPARE(launcher.mainWindow()->windowTitle(), u"Talvex File Navigator - Pelimond"_s);
        QCOMPARE(plmdm(u"Folder"_s), stored);
        QCOMPARE(plmdm(u"FirstBoot"_s), setting ? u"0"_s : u"1"_s);
        if (setting)
            QCOMPARE(config::settings().DownloadFolder, inMemory.replace(u'@', folder.path()));
    }
    Launcher next;
    QCOMPARE(next.Start(QString()), setting ? StartPath::Interactive : StartPath::FirstStart);
}

// A folder whose name code page 932 cannot hold would be stored mangled ("Gr??e"): it is refused,
// the window stays, and another folder can then be set.
void TstStartup::firstStartWindowRefusesAFolderTheFileCannotHold()
{
    TestFolder folder;
    folder.writeLines(kIni, {u"[PLMDM]"_s, u"Folder=.\\Old"_s, u"FirstBoot=1"_s});
    msg::ScriptedSink sink;
    Launcher launcher;
    QCOMPARE(launcher.Start(QString()), StartPath::FirstStart);
    startup::frmDownloadFolder* window = launcher.firstStartWindow();
    QLineEdit* field = window->findChild<QLineEdit*>(u"inp"_s);
    field->setText(u"/home/user/Grüße"_s);
    QTest::keyClick(window, Qt::Key_Return);
    QCOMPARE(sink.shown.size(), 1);
    QCOMPARE(sink.shown[0].title, window->windowTitle());
    QCOMPARE(sink.shown[0].icon, msg::Icon::Exclamation);
    QVERIFY(sink.shown[0].text.contains(u"「ü」「ß」"_s));
    QVERIFY(window->isVisible());
    QVERIFY(!launcher.mainWindow());
    QCOMPARE(plmdm(u"Folder"_s), u".\\Old"_s);
    QCOMPARE(plmdm(u"FirstBoot"_s), u"1"_s);

    field->setText(u"/home/user/ダウンロード"_s);
    QTest::keyClick(window, Qt::Key_Return);
    QVERIFY(!window->isVisible());
    QVERIFY(launcher.mainWindow());
    QCOMPARE(plmdm(u"Folder"_s), u"/home/user/ダウンロード"_s);
}

void TstStartup::runningProgramRefusesAndItsCrashLeavesNoBlock()
{
    TestFolder folder;
    folder.writeLines(kIni, {u"[PLMDM]"_s, u"FirstBoot=0"_s});
    const QString program = copyProgram(folder);
    QVERIFY(!program.isEmpty());
    QProcess running;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    running.setProcessEnvironment(env);
    running.start(program, {});
    QVERIFY(running.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile(Launcher::LockFilePath()).size() > 0, 30000);

    msg::ScriptedSink sink;
    {
        Launcher second;
        QCOMPARE(second.Start(QString()), StartPath::Refused);
    }
    {
        // A lock that has been held for long still belongs to its running program.
        QFile lock(Launcher::LockFilePath());
        QVERIFY(lock.open(QIODevice::ReadOnly));
        QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                 QFileDevice::FileModificationTime));
        Launcher third;
        QCOMPARE(third.Start(QString()), StartPath::Refused);
    }
    QCOMPARE(sink.shown.size(), 2);
    QCOMPARE(sink.shown[0].text, kRefusal);
    QCOMPARE(sink.shown[0].title, u"起動"_s);
    QCOMPARE(sink.shown[0].icon, msg::Icon::Stop);
    QCOMPARE(running.state(), QProcess::Running);

    running.kill(); // a crash: the lock file stays behind
    QVERIFY(running.waitForFinished());
    QVERIFY(QFile::exists(Launcher::LockFilePath()));
    Launcher afterCrash;
    QCOMPARE(afterCrash.Start(QString()), StartPath::Interactive);
    QCOMPARE(sink.shown.size(), 2);
    qint64 pid = 0;
    QVERIFY(QLockFile(Launcher::LockFilePath()).getLockInfo(&pid, nullptr, nullptr));
    QCOMPARE(pid, QCoreApplication::applicationPid());
}

void TstStartup::downloadModeSkipsInstanceTestAndFirstStart()
{
    TestFolder folder;
    folder.writeLines(kIni, {u"[PLMDM]"_s, u"FirstBoot=1"_s});
    writeLibInfo(folder, u"DOWNLOAD/My Tool"_s);
    QLockFile interactive(Launcher::LockFilePath());
    QVERIFY(interactive.tryLock(0));
    msg::ScriptedSink sink;
    download::SetOpenRetryPauseForTests(0);
    Launcher launcher;
    QCOMPARE(launcher.Start(folder.file(u"DOWNLOAD/My Tool"_s)), StartPath::Download);
    download::SetOpenRetryPauseForTests(-1);
    // The address cannot be reached from here: only the failed download is told.
    QCOMPARE(sink.shown.size(), 1);
    QCOMPARE(sink.shown[0].title, download::kTransferErrorTitle);
    QVERIFY(!launcher.mainWindow() && !launcher.firstStartWindow());
    QVERIFY(!launcher.windowOpen());
    // Nothing was fetched, and the process must not say otherwise.
    QVERIFY(launcher.exitCode() != 0);
    QCOMPARE(QDir(folder.file(u"DOWNLOAD/My Tool"_s)).entryList(QDir::Files),
             QStringList{u"LIBINFO.TXT"_s});
}

void TstStartup::downloadModeWithoutInformationFileTellsAndEnds()
{
    TestFolder folder;
    folder.writeLines(kIni, {u"[PLMDM]"_s, u"FirstBoot=0"_s});
    msg::ScriptedSink sink;
    Launcher launcher;
    QCOMPARE(launcher.Start(folder.file(u"DOWNLOAD/Gone"_s)), StartPath::Download);
    QCOMPARE(sink.shown.size(), 1);
    QCOMPARE(sink.shown[0].text, u"ダウンロード情報ファイルが正常に読み込めませんでした。"_s);
    QCOMPARE(sink.shown[0].title, u"読み込みエラー"_s);
    QCOMPARE(sink.shown[0].icon, msg::Icon::Stop);
    QCOMPARE(sink.shown[0].buttons, msg::Buttons::Ok);
    QVERIFY(launcher.exitCode() != 0);
    QVERIFY(!launcher.windowOpen() && !launcher.mainWindow());
    QVERIFY(!QFile::exists(Launcher::LockFilePath()));
}

void TstStartup::closingMainWindowEndsTheProgram()
{
    TestFolder folder;
    folder.writeLines(kIni, {u"[PLMDM]"_s, u"FirstBoot=0"_s});
    int ended = 0;
    Launcher launcher;
    launcher.setOnMainWindowClosed([&ended] { ++ended; });
    QCOMPARE(launcher.Start(QString()), StartPath::Interactive);
    QCOMPARE(ended, 0);
    QVERIFY(launcher.mainWindow()->close());
    QCOMPARE(ended, 1);
}

void TstStartup::failingStepIsTracedAndStartupGoesOn()
{
    TestFolder folder;
    config::settings().Debug = 1;
    QVERIFY(!startup::RunStep([] { throw std::runtime_error("disk gone"); }));
    bool nextRan = false;
    QVERIFY(startup::RunStep([&nextRan] { nextRan = true; }));
    QVERIFY(nextRan);
    const QStringList trace = folder.readLines(u"Trace.Log"_s);
    QCOMPARE(trace.size(), 1);
    QVERIFY(trace[0].endsWith(u" $ Sub Main エラー(disk gone)"_s));
}

void TstStartup::standardTextsAndIconsAreTheProgramsOwn()
{
    // Standard buttons and the text fields' context menus speak Japanese.
    QVERIFY(startup::InstallQtTranslations(*qApp));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), u"はい(&Y)"_s);
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), u"キャンセル"_s);
    // The first-start window shows the program's icon like every other window.
    TestFolder folder;
    folder.writeLines(kIni, {u"[PLMDM]"_s, u"FirstBoot=1"_s});
    Launcher launcher;
    QCOMPARE(launcher.Start(QString()), StartPath::FirstStart);
    const QIcon icon = launcher.firstStartWindow()->windowIcon();
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.pixmap(32).toImage(), resources::ProgramIcon().pixmap(32).toImage());
}

QTEST_MAIN(TstStartup)
#include "tst_startup.moc"
