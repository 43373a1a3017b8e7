#include "util/Shell.h"

#include "config/Settings.h"
#include "util/FileUtil.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace util {

bool OpenUrl(const QString& target, int /*showCommand*/)
{
    const config::Settings& s = config::settings();
    if (s.UseOtherBrowser == 1 && FileExists(s.BrowserPath)) {
        QProcess::startDetached(s.BrowserPath, {target});
        return true;
    }
    const QUrl url =
        QFileInfo::exists(target) ? QUrl::fromLocalFile(target) : QUrl::fromUserInput(target);
    QDesktopServices::openUrl(url);
    return true;
}

} // namespace util
