#include "util/LocalTime.h"

#include <QFileInfo>
#include <QtGlobal>
#include <ctime>

namespace util {

void PinLocalTimeZone()
{
#ifdef Q_OS_UNIX
    static const char* const kZoneFile = "/etc/localtime";
    if (qEnvironmentVariableIsSet("TZ") || !QFileInfo::exists(QString::fromLatin1(kZoneFile)))
        return;
    qputenv("TZ", QByteArray(":") + kZoneFile);
    tzset();
#endif
}

} // namespace util
