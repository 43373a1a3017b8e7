#include "config/Ini.h"
#include "config/Settings.h"
#include "startup/Launcher.h"
#include "startup/UserFolder.h"
#include "startup/frmDownloadFolder.h"
#include "support/TestFolder.h"
#include "util/Messages.h"
#include "util/ProgramFolder.h"
#include "util/Text.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QLockFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSet>
#include <QTest>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The delivered files of the small installation that the in-process cases fill from.
const QList<std::pair<QString, QByteArray>> kDelivered = {
    {u"CATEGORY.INI"_s, "[Category]\r\nCategory1=Windows\r\n"},
    {u"Pelimond.mdb"_s, QByteArray(3000, 'm')},
    {u"WEBIMAGE/news.gif"_s, "GIF89a news"},
    {u"WEBIMAGE/spacer.gif"_s, "GIF89a spacer"},
    {u"help/index.html"_s, "<html>index</html>"},
    {u"help/style.css"_s, "body {}"}};

// Every file below dir (hidden ones too), as sorted relative paths.
QStringList filesBelow(const QString& dir)
{
    QStringList files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(dir).relativeFilePath(it.next()));
    files.sort();
    return files;
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The user's folder holds exactly the small installation's delivered files, byte for byte.
void expectDelivered(const QString& user)
{
    QStringList names;
    for (const auto& [name, bytes] : kDelivered) {
        QCOMPARE(bytesOf(user + u'/' + name), bytes);
        names.append(name);
    }
    names.sort();
    QCOMPARE(filesBelow(user), names); // no copying file, no lock left behind
}

bool isRoot()
{
    return ::geteuid() == 0;
}

// Points the per-user folder elsewhere for one case and back afterwards.
class DataHome
{
public:
    explicit DataHome(const QString& path) : m_saved(qgetenv("XDG_DATA_HOME"))
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(path));
    }
    ~DataHome() { qputenv("XDG_DATA_HOME", m_saved); }
    DataHome(const DataHome&) = delete;
    DataHome& operator=(const DataHome&) = delete;

private:
    QByteArray m_saved;
};

} // namespace

class TstUserFolder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void firstStartFillsTheUsersFolder();
    void deliveredFilesNeverReplaceTheUsers_data();
    void deliveredFilesNeverReplaceTheUsers();
    void interruptedCopyIsFinished_data();
    void interruptedCopyIsFinished();
    void unusableFolderEndsTheStart_data();
    void unusableFolderEndsTheStart();
    void companionChoosesTheFolder_data();
    void companionChoosesTheFolder();
    void companionsAtOnceOnAFreshFolder();
    void twoProgramsAtOnce();

private:
    // A small installation made by the test (in-process cases).
    QString makeInstallation(const TestFolder& root) const;
    // A copy of the built program folder, marked as shared (process cases).
    QString m_installed;
    QTemporaryDir m_installRoot;
    // The delivered files of m_installed, as relative paths.
    QStringList deliveredFiles() const;
    // The user's folder holds the delivered files once and whole, and nothing half-copied.
    void verifyWhole(const QString& user) const;
    QProcessEnvironment environment(const QString& home, const QString& dataHome) const;
};

void TstUserFolder::initTestCase()
{
    // The executables and delivered files as the build lays them out, in a folder that the
    // package's marker makes an installed one, for every user (root included).
    QVERIFY(m_installRoot.isValid());
    m_installed = m_installRoot.filePath(u"opt"_s);
    const QString built = QStringLiteral(PELIMOND_PROGRAM_DIR);
    for (const QString& item :
         QStringList{u"pelimond"_s, u"pelimond-cli"_s} + startup::kDeliveredItems) {
        const QString from = built + u'/' + item;
        QVERIFY2(QFileInfo::exists(from), qPrintable(from));
        if (QFileInfo(from).isDir()) {
            for (const QString& file : filesBelow(from))
                write(m_installed + u'/' + item + u'/' + file, bytesOf(from + u'/' + file));
        } else {
            write(m_installed + u'/' + item, bytesOf(from));
        }
    }
    for (const char* exe : {"pelimond", "pelimond-cli"})
        QFile::setPermissions(m_installed + u'/' + QLatin1String(exe),
                              QFile::ReadOwner | QFile::ExeOwner);
    write(m_installed + u'/' + startup::kSharedFolderMarker, "shared\n");
}

void TstUserFolder::cleanup()
{
    programfolder::SetProgramFolder(QString());
}

QString TstUserFolder::makeInstallation(const TestFolder& root) const
{
    const QString installed = root.file(u"opt"_s);
    for (const auto& [name, bytes] : kDelivered)
        write(installed + u'/' + name, bytes);
    write(installed + u"/pelimond"_s, "ELF");
    // Not delivered: whatever else lies in the installed folder stays there.
    write(installed + u"/Pelimond.INI"_s, "[URL]\r\n");
    write(installed + u'/' + startup::kSharedFolderMarker, "shared\n");
    return installed;
}

QProcessEnvironment TstUserFolder::environment(const QString& home, const QString& dataHome) const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"HOME"_s, home);
    env.remove(u"XDG_DATA_HOME"_s);
    if (!dataHome.isNull())
        env.insert(u"XDG_DATA_HOME"_s, dataHome);
    env.remove(u"PELIMOND_PROGRAM_FOLDER"_s);
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    return env;
}

// The first start of an installed copy: the user's folder appears holding the delivered files,
// and the start-up goes on there as everywhere: first-run settings, then the first-start window
// with the download folder inside the user's folder.
void TstUserFolder::firstStartFillsTheUsersFolder()
{
    TestFolder root;
    const QString installed = makeInstallation(root);
    const QStringList installedBefore = filesBelow(installed);
    DataHome data(root.file(u"data"_s));
    const QString user = root.file(u"data/Pelimond"_s);
    msg::ScriptedSink sink;

    QVERIFY(startup::PrepareProgramFolder(installed));
    QCOMPARE(programfolder::ProgramFolder(), user);
    expectDelivered(user);

    startup::Launcher launcher;
    QCOMPARE(launcher.Start(QString()), startup::StartPath::FirstStart);
    QCOMPARE(sink.shown.size(), 1); // the first-run settings notice, nothing else
    QCOMPARE(config::ReadIni(u"Pelimond.INI"_s, u"PLMDM"_s, u"FirstBoot"_s, QString()), u"1"_s);
    QCOMPARE(config::settings().DownloadFolder, user + u"/DOWNLOAD"_s);
    QCOMPARE(launcher.firstStartWindow()->findChild<QLineEdit*>(u"inp"_s)->text(),
             user + u"/DOWNLOAD"_s);
    QVERIFY(QFileInfo::exists(user + u"/Pelimond.INI"_s));
    QCOMPARE(filesBelow(installed), installedBefore);
}

void TstUserFolder::deliveredFilesNeverReplaceTheUsers_data()
{
    QTest::addColumn<QString>("own"); // the user's file, holding "mine"
    QTest::addColumn<QStringList>("notCopied");
    QTest::newRow("catalogue") << u"Pelimond.mdb"_s << QStringList{u"Pelimond.mdb"_s};
    QTest::newRow("category file") << u"CATEGORY.INI"_s << QStringList{u"CATEGORY.INI"_s};
    // The program finds its files without regard to case: a second catalogue beside it would
    // be one too many.
    QTest::newRow("catalogue named in capitals")
        << u"PELIMOND.MDB"_s << QStringList{u"Pelimond.mdb"_s};
    QTest::newRow("settings") << u"Pelimond.INI"_s << QStringList{};
    QTest::newRow("help page") << u"help/index.html"_s << QStringList{u"help/index.html"_s};
    QTest::newRow("image folder in small letters")
        << u"webimage/news.gif"_s << QStringList{u"WEBIMAGE/news.gif"_s};
}

void TstUserFolder::deliveredFilesNeverReplaceTheUsers()
{
    QFETCH(QString, own);
    QFETCH(QStringList, notCopied);
    TestFolder root;
    const QString installed = makeInstallation(root);
    const QString user = root.file(u"user"_s);
    write(user + u'/' + own, "mine");

    QString failure;
    QVERIFY2(startup::MakeUserFolder(installed, user, &failure), qPrintable(failure));
    QCOMPARE(bytesOf(user + u'/' + own), QByteArray("mine"));
    QStringList expected{own};
    for (const auto& [name, bytes] : kDelivered) {
        if (notCopied.contains(name))
            continue;
        // What lands in the user's folder of another case lands there, not beside it.
        const QString path = name.startsWith(u"WEBIMAGE/"_s) && own.startsWith(u"webimage/"_s)
                                 ? u"webimage/"_s + name.mid(9)
                                 : name;
        QCOMPARE(bytesOf(user + u'/' + path), bytes);
        expected.append(path);
    }
    expected.sort();
    QCOMPARE(filesBelow(user), expected);
    // A second start finds nothing to do.
    QVERIFY(startup::MakeUserFolder(installed, user, &failure));
    QCOMPARE(filesBelow(user), expected);
    QCOMPARE(bytesOf(user + u'/' + own), QByteArray("mine"));
}

void TstUserFolder::interruptedCopyIsFinished_data()
{
    // What an earlier start left when it was killed: finished files under their names, and the
    // file it was writing under its copying name.
    QTest::addColumn<QStringList>("finished");
    QTest::addColumn<QString>("copying");
    QTest::newRow("in the catalogue")
        << QStringList{u"CATEGORY.INI"_s} << startup::CopyingName(u"Pelimond.mdb"_s);
    QTest::newRow("in the images")
        << QStringList{u"CATEGORY.INI"_s, u"Pelimond.mdb"_s, u"WEBIMAGE/news.gif"_s}
        << u"WEBIMAGE/"_s + startup::CopyingName(u"spacer.gif"_s);
    QTest::newRow("after the last rename")
        << QStringList{u"CATEGORY.INI"_s,        u"Pelimond.mdb"_s,    u"WEBIMAGE/news.gif"_s,
                       u"WEBIMAGE/spacer.gif"_s, u"help/index.html"_s, u"help/style.css"_s}
        << u"help/"_s + startup::CopyingName(u"style.css"_s);
}

void TstUserFolder::interruptedCopyIsFinished()
{
    QFETCH(QStringList, finished);
    QFETCH(QString, copying);
    TestFolder root;
    const QString installed = makeInstallation(root);
    const QString user = root.file(u"user"_s);
    for (const QString& name : finished)
        write(user + u'/' + name, bytesOf(installed + u'/' + name));
    write(user + u'/' + copying, "half");

    QString failure;
    QVERIFY2(startup::MakeUserFolder(installed, user, &failure), qPrintable(failure));
    expectDelivered(user);
}

void TstUserFolder::unusableFolderEndsTheStart_data()
{
    QTest::addColumn<QString>("dataHome"); // "@" stands for the test's folder
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("rootCanWrite");
    QTest::newRow("below a file") << u"@/file/data"_s << u"フォルダを作成できません ("_s << false;
    QTest::newRow("read-only file system")
        << u"/proc/pelimond-data"_s << u"フォルダを作成できません ("_s << false;
    QTest::newRow("read-only home") << u"@/ro/data"_s << u"フォルダを作成できません ("_s << true;
    QTest::newRow("read-only folder") << u"@/rw"_s << u"フォルダに書き込めません ("_s << true;
    // A broken installation: a help page that cannot be read is named, and nothing half-made is
    // left under its name.
    QTest::newRow("file that cannot be copied")
        << u"@/data"_s << u"ファイルをコピーできません: help/broken.html ("_s << false;
}

void TstUserFolder::unusableFolderEndsTheStart()
{
    QFETCH(QString, dataHome);
    QFETCH(QString, reason);
    QFETCH(bool, rootCanWrite);
    if (rootCanWrite && isRoot())
        QSKIP("permission bits do not hold root back");
    TestFolder root;
    const QString installed = makeInstallation(root);
    // Copied only where the folder can be made: a link to nothing, which cannot be read.
    QVERIFY(QFile::link(root.file(u"gone.html"_s), installed + u"/help/broken.html"_s));
    write(root.file(u"file"_s), "a file");
    QVERIFY(QDir().mkpath(root.file(u"ro"_s)) && QDir().mkpath(root.file(u"rw/Pelimond"_s)));
    const auto readOnly = QFile::ReadOwner | QFile::ExeOwner;
    QVERIFY(QFile::setPermissions(root.file(u"ro"_s), readOnly));
    QVERIFY(QFile::setPermissions(root.file(u"rw/Pelimond"_s), readOnly));
    DataHome data(dataHome.replace(u'@', root.path()));
    msg::ScriptedSink sink;

    QVERIFY(!startup::PrepareProgramFolder(installed));
    QFile::setPermissions(root.file(u"ro"_s), readOnly | QFile::WriteOwner);
    QFile::setPermissions(root.file(u"rw/Pelimond"_s), readOnly | QFile::WriteOwner);
    QCOMPARE(programfolder::ProgramFolder(), root.path());
    QCOMPARE(sink.shown.size(), 1);
    QCOMPARE(sink.shown[0].title, u"起動"_s);
    QCOMPARE(sink.shown[0].icon, msg::Icon::Stop);
    const QString expected = u"プログラムフォルダ "_s + dataHome + u"/Pelimond"_s +
                             u" を使えないため、起動できません。\r\n"_s + reason;
    QVERIFY2(sink.shown[0].text.startsWith(expected), qPrintable(sink.shown[0].text));
    const QStringList left = filesBelow(dataHome + u"/Pelimond/help"_s);
    QVERIFY(!left.contains(u"broken.html"_s) && left.filter(u".copying"_s).isEmpty());
}

void TstUserFolder::companionChoosesTheFolder_data()
{
    // Where the companion's settings land; "@" stands for the test's folder, "~" for $HOME.
    QTest::addColumn<bool>("installed");   // run from the installed folder, else a portable copy
    QTest::addColumn<QString>("dataHome"); // null: unset
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("folder");
    QTest::newRow("portable") << false << u"@/data"_s << QStringList{} << u"@/portable"_s;
    QTest::newRow("installed") << true << u"@/data"_s << QStringList{} << u"@/data/Pelimond"_s;
    QTest::newRow("installed, --folder")
        << true << u"@/data"_s << QStringList{u"--folder=@/chosen"_s} << u"@/chosen"_s;
    QTest::newRow("installed, no XDG_DATA_HOME")
        << true << QString() << QStringList{} << u"~/.local/share/Pelimond"_s;
    QTest::newRow("installed, relative XDG_DATA_HOME")
        << true << u"data"_s << QStringList{} << u"~/.local/share/Pelimond"_s;
}

void TstUserFolder::companionChoosesTheFolder()
{
    QFETCH(bool, installed);
    QFETCH(QString, dataHome);
    QFETCH(QStringList, options);
    QFETCH(QString, folder);
    QTemporaryDir dir;
    const QString home = dir.filePath(u"home"_s);
    QVERIFY(QDir().mkpath(home) && QDir().mkpath(dir.filePath(u"chosen"_s)));
    auto expand = [&](QString s) { return s.replace(u'@', dir.path()).replace(u'~', home); };
    QString program = m_installed + u"/pelimond-cli"_s;
    if (!installed) {
        program = dir.filePath(u"portable/pelimond-cli"_s);
        write(program, bytesOf(m_installed + u"/pelimond-cli"_s));
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const QStringList installedBefore = filesBelow(m_installed);
    QProcess process;
    process.setProcessEnvironment(
        environment(home, dataHome.isNull() ? QString() : expand(dataHome)));
    process.setWorkingDirectory(dir.path());
    for (QString& option : options)
        option = expand(option);
    process.start(program, options + QStringList{u"set"_s, u"URL"_s, u"TimeOut"_s, u"9"_s});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);

    const QString expected = expand(folder);
    programfolder::SetProgramFolder(expected);
    QCOMPARE(config::ReadIni(u"Pelimond.INI"_s, u"URL"_s, u"TimeOut"_s, QString()), u"9"_s);
    QCOMPARE(config::ReadIni(u"Pelimond.INI"_s, u"PLMDM"_s, u"FirstBoot"_s, QString()), u"1"_s);
    // Only the per-user folder is filled from the installed one.
    const bool perUser = installed && options.isEmpty();
    QCOMPARE(QFileInfo(expected + u"/WEBIMAGE"_s).isDir(), perUser);
    QCOMPARE(QFileInfo::exists(expected + u"/Pelimond.mdb"_s), perUser);
    // Nothing written anywhere else: not into the installed folder, not into another candidate.
    QCOMPARE(filesBelow(m_installed), installedBefore);
    for (const QString& other : {u"@/data/Pelimond"_s, u"~/.local/share/Pelimond"_s, u"@/chosen"_s})
        QCOMPARE(QFileInfo::exists(expand(other) + u"/Pelimond.INI"_s), expand(other) == expected);
}

// Several companions started at once on a folder that does not exist yet: each one either fills
// it or waits until it is filled; all of them work, and the folder is whole.
void TstUserFolder::companionsAtOnceOnAFreshFolder()
{
    QTemporaryDir dir;
    const QString user = dir.filePath(u"data/Pelimond"_s);
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int i = 0; i < 4; ++i) {
        auto& process = processes.emplace_back(std::make_unique<QProcess>());
        process->setProcessEnvironment(environment(dir.path(), dir.filePath(u"data"_s)));
        process->start(m_installed + u"/pelimond-cli"_s,
                       {u"set"_s, u"URL"_s, u"TimeOut"_s, QString::number(10 + i)});
    }
    for (auto& process : processes) {
        QVERIFY(process->waitForFinished(60000));
        QCOMPARE(process->exitCode(), 0);
    }
    verifyWhole(user);
    QStringList expected = deliveredFiles();
    expected.append(u"Pelimond.INI"_s);
    expected.sort();
    QStringList files = filesBelow(user);
    files.removeIf([](const QString& name) { return name.endsWith(u".lock"_s); });
    QCOMPARE(files, expected);
    programfolder::SetProgramFolder(user);
    QCOMPARE(config::ReadIni(u"Pelimond.INI"_s, u"PLMDM"_s, u"FirstBoot"_s, QString()), u"1"_s);
}

// Two programs started at once on a user's folder that holds only its settings (a fresh folder's
// first-run notice would hold both at a message box before the instance test): one runs, the
// other refuses, and the delivered files are there once and whole.
void TstUserFolder::twoProgramsAtOnce()
{
    QTemporaryDir dir;
    const QString user = dir.filePath(u"data/Pelimond"_s);
    write(user + u"/Pelimond.INI"_s, "[System]\r\nDebug=1\r\n[PLMDM]\r\nFirstBoot=0\r\n");
    QProcess first;
    QProcess second;
    const auto stop = qScopeGuard([&] {
        for (QProcess* process : {&first, &second}) {
            process->kill();
            process->waitForFinished();
        }
    });
    for (QProcess* process : {&first, &second}) {
        process->setProcessEnvironment(environment(dir.path(), dir.filePath(u"data"_s)));
        process->start(m_installed + u"/pelimond"_s, {});
    }
    QVERIFY(first.waitForStarted() && second.waitForStarted());
    // The refused one writes its trace line before it shows the second-instance message.
    const auto refusals = [&user] {
        QStringList trace;
        text::ReadLines(user + u"/Trace.Log"_s, &trace);
        return trace.filter(u" $ 二重起動エラー"_s).size();
    };
    QTRY_COMPARE_WITH_TIMEOUT(refusals(), 1, 60000);
    qint64 pid = 0;
    QVERIFY(QLockFile(user + u"/Pelimond.lock"_s).getLockInfo(&pid, nullptr, nullptr));
    QVERIFY(pid == first.processId() || pid == second.processId());
    QCOMPARE((pid == first.processId() ? first : second).state(), QProcess::Running);
    verifyWhole(user);
}

QStringList TstUserFolder::deliveredFiles() const
{
    QStringList files = filesBelow(m_installed);
    files.removeIf([](const QString& name) {
        return name == u"pelimond"_s || name == u"pelimond-cli"_s ||
               name == startup::kSharedFolderMarker;
    });
    return files;
}

void TstUserFolder::verifyWhole(const QString& user) const
{
    for (const QString& name : deliveredFiles()) {
        const QByteArray delivered = bytesOf(m_installed + u'/' + name);
        const QByteArray copied = bytesOf(user + u'/' + name);
        if (name == u"CATEGORY.INI"_s) {
            // The first start adds the new-arrival categories to the delivered ones, once.
            QVERIFY(copied.startsWith(delivered));
            const QList<QByteArray> rows = copied.split('\n');
            QCOMPARE(QSet<QByteArray>(rows.begin(), rows.end()).size(), rows.size());
        } else if (name == u"Pelimond.mdb"_s) {
            QVERIFY(copied.startsWith(QByteArray("SQLite format 3", 16))); // upgraded in place
        } else {
            QCOMPARE(copied, delivered);
        }
    }
    QVERIFY(filesBelow(user).filter(u".copying"_s).isEmpty());
    QVERIFY(!QFileInfo::exists(user + u'/' + startup::kFillLockName));
}

QTEST_MAIN(TstUserFolder)
#include "tst_userfolder.moc"
