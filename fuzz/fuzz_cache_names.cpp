// The rules that turn addresses and names into paths: the page cache, the notebook files, the
// download's entry folder and archive file, and the address encoding of form values.
#include "FuzzSupport.h"
#include "config/Settings.h"
#include "download/LibInfo.h"
#include "download/PrepareDownload.h"
#include "info/Notebook.h"
#include "mainwindow/CategoryDeletion.h"
#include "site/UrlEncode.h"
#include "update/PageCache.h"

#include <QDir>

namespace {

bool hasControl(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
    }
    return false;
}

// A file or folder name of its own: nothing that separates folders or steps out of one.
bool ownName(const QString& name)
{
    return !name.contains(u'/') && name != u"." && name != u"..";
}

void checkCachePath(const QString& url)
{
    const QString root = config::settings().CacheFolder;
    for (int order = 0; order < 3; ++order) {
        for (const int page : {1, 12}) {
            const QString path = update::CachePath(url, order, page);
            if (path.isEmpty())
                continue;
            fuzz::Require(path.startsWith(root + u'/') && QDir::cleanPath(path) == path &&
                              !path.contains(u'\\') && !hasControl(path),
                          "a cache file lies inside the cache folder", path);
            for (const QString& segment : path.mid(root.size() + 1).split(u'/'))
                fuzz::Require(ownName(segment) && !segment.isEmpty(),
                              "a cache path steps into no other folder", path);
        }
    }
}

void checkUrlEncode(const QString& text)
{
    const QString encoded = site::UrlEncode(text);
    for (const QChar c : encoded) {
        fuzz::Require(c.isLetterOrNumber() ? c.unicode() < 0x80
                                           : QStringView(u"@*-._+%").contains(c),
                      "an encoded value is plain ASCII of the form's alphabet", encoded);
    }
    // The replacement character reads back as itself, yet code page 932 has no such character:
    // it is sent as "?".
    if (!text::FitsCp932(text) || text.contains(QChar::ReplacementCharacter))
        return;
    QByteArray bytes = encoded.toLatin1();
    bytes.replace('+', ' ');
    fuzz::Require(text::DecodeCp932(QByteArray::fromPercentEncoding(bytes)) == text,
                  "an encoded value decodes to the text", encoded);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    config::settings().CacheFolder = fuzz::ScratchProgramFolder() + QStringLiteral("/Cache");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = fuzz::Utf8(data, size);
    const QString url = config::SiteRoot + text;

    checkCachePath(text);
    checkCachePath(url);
    for (const QString& address : {text, url}) {
        const QString notebook = info::NotebookFileName(address);
        fuzz::Require(notebook.isEmpty() ||
                          (ownName(notebook) && !notebook.contains(u'\\') && !hasControl(notebook)),
                      "a notebook file lies in the notebook folder", notebook);
        const QString archive = download::ArchiveFileName(address);
        fuzz::Require(archive.isEmpty() || (ownName(archive) && !archive.contains(u'\\')),
                      "an archive lands in its entry folder", archive);
        if (mainwindow::IsDeletableCategory(address)) {
            for (std::size_t area = 0; area < config::AreaUrls.size(); ++area)
                fuzz::Require(address != config::AreaUrls[area] &&
                                  address != config::SiteRoot + config::AreaPaths[area],
                              "an area's root is never deleted", address);
        }
    }
    const QString entry = download::EntryFolderName(text);
    fuzz::Require(entry.isEmpty() || ownName(entry), "an entry folder lies in the download folder",
                  entry);
    checkUrlEncode(text);
    return 0;
}
