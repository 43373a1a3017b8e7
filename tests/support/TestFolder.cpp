#include "support/TestFolder.h"

#include "config/Categories.h"
#include "config/Settings.h"
#include "config/SoftTypes.h"
#include "util/ProgramFolder.h"
#include "util/Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

TestFolder::TestFolder()
{
    QVERIFY2(m_dir.isValid(), "cannot create a temporary program folder");
    programfolder::SetProgramFolder(m_dir.path());
    config::ResetSettings();
    config::SoftTypes().clear();
    config::Categories() = {config::CategoryRecord()};
}

TestFolder::~TestFolder()
{
    programfolder::SetProgramFolder(QString());
    config::ResetSettings();
}

void TestFolder::writeBytes(const QString& name, const QByteArray& bytes) const
{
    const QString p = file(name);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

void TestFolder::writeLines(const QString& name, const QStringList& lines) const
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += text::EncodeCp932(line) + "\r\n";
    writeBytes(name, bytes);
}

QByteArray TestFolder::readBytes(const QString& name) const
{
    QByteArray bytes;
    text::ReadFileBytes(file(name), &bytes);
    return bytes;
}

QStringList TestFolder::readLines(const QString& name) const
{
    QStringList lines;
    text::ReadLines(file(name), &lines);
    return lines;
}

void TestFolder::loadFirstRunSoftTypes() const
{
    QStringList lines{QStringLiteral("[SoftType]")};
    const QStringList rows = config::DefaultSoftTypeRows();
    for (int i = 0; i < rows.size(); ++i)
        lines.append(QStringLiteral("SoftType") + QString::number(i + 1) + u'=' + rows[i]);
    writeLines(config::kSettingsFile, lines);
    QVERIFY(config::LoadSoftTypes());
}

QStringList FilesBesideLocks(const QString& dir, const QStringList& nameFilters)
{
    QStringList files = QDir(dir).entryList(nameFilters, QDir::Files);
    files.removeIf([](const QString& name) { return name.endsWith(u".lock"); });
    return files;
}
