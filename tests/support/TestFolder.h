#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A fresh, empty program folder for one test: the program looks only there, and the settings
// start from a clean slate. Removed (with everything in it) when the object goes.
class TestFolder
{
public:
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.path() + u'/' + name; }

    // Writes name (relative to the folder) with the given bytes, creating folders above it.
    void writeBytes(const QString& name, const QByteArray& bytes) const;
    // Writes lines in CP932, each ended by CR LF.
    void writeLines(const QString& name, const QStringList& lines) const;
    QByteArray readBytes(const QString& name) const;
    // Writes a settings file holding the first-run software types and loads them.
    void loadFirstRunSoftTypes() const;
    // The file's lines as the program reads them (CP932, CR / CR LF line ends).
    QStringList readLines(const QString& name) const;

private:
    QTemporaryDir m_dir;
};

// The files of a folder as the program leaves them, apart from the small lock files that its
// processes keep beside a catalogue.
QStringList FilesBesideLocks(const QString& dir, const QStringList& nameFilters = {});
