#pragma once

#include "util/ProgramFolder.h"
#include "util/Text.h"

#include <QByteArrayView>
#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What the fuzz targets share: how an input becomes text, a scratch program folder, the
// application object, and the check that turns a broken invariant into a reported crash.
namespace fuzz {

// A broken invariant: libFuzzer reports the abort as a crash and keeps the input.
inline void Require(bool condition, const char* what, const QString& detail = QString())
{
    if (condition)
        return;
    std::fprintf(stderr, "invariant broken: %s %s\n", what, qUtf8Printable(detail));
    std::abort();
}

// The input as the program reads a cached page or one of its files: code page 932.
inline QString Cp932(const uint8_t* data, size_t size)
{
    return text::DecodeCp932(QByteArrayView(data, qsizetype(size)));
}

// The input as an address or a name typed or stored anywhere: UTF-8.
inline QString Utf8(const uint8_t* data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
}

// An empty program folder of this process, removed when it ends.
inline const QString& ScratchProgramFolder()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        if (!dir.isValid()) {
            std::fprintf(stderr, "no temporary folder\n");
            std::abort();
        }
        programfolder::SetProgramFolder(dir.path());
        return dir.path();
    }();
    return path;
}

// Writes the input as a file of the scratch program folder and returns its path. The file is
// made anew each time: rewriting one in place can make the file system wait for the disk.
inline QString WriteScratchFile(const QString& name, const uint8_t* data, size_t size)
{
    const QString path = ScratchProgramFolder() + u'/' + name;
    QFile::remove(path);
    QFile file(path);
    Require(file.open(QIODevice::WriteOnly) &&
                file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size),
            "the scratch file is written", path);
    return path;
}

// The application object that sockets and event loops need, created once for the process.
inline void EnsureApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    // Never deleted: it goes with the process, after everything that may still use it.
    new QCoreApplication(argc, argv);
}

} // namespace fuzz
