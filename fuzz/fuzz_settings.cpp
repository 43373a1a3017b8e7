// The settings file: its lines, sections and keys, the conversions its values go through, and
// the software type rows of section SoftType.
#include "FuzzSupport.h"
#include "config/Ini.h"
#include "config/Settings.h"
#include "config/SoftTypes.h"
#include "util/FileUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz::WriteScratchFile(config::kSettingsFile, data, size);

    config::IniFile ini;
    fuzz::Require(ini.load(path), "an existing settings file reads");
    // Every key the file names reads back; numbers and stored paths convert as the settings do.
    QString section;
    for (const QString& line : ini.lines()) {
        fuzz::Require(!line.contains(u'\r') && !line.contains(u'\n'), "a line holds no line end");
        const QString t = line.trimmed();
        if (t.startsWith(u'[') && t.contains(u']')) {
            section = t.mid(1, t.indexOf(u']') - 1);
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = ini.value(section, key);
        util::ToWholeNumber(value);
        for (const char16_t* pathKey : {u"CacheFolder", u"dbname", u"Folder"}) {
            if (key.compare(QStringView(pathKey), Qt::CaseInsensitive) == 0)
                util::ResolvePath(value);
        }
    }

    // Writing a key changes its line alone, or adds it (and its section), and reads back.
    const QStringList before = ini.lines();
    const QString value = QStringLiteral("99,s_fuzz.gif,ファズ,255");
    ini.setValue(u"SoftType", u"SoftType1", value);
    fuzz::Require(ini.value(u"SoftType", u"SoftType1") == value, "a written key reads back");
    const QStringList& after = ini.lines();
    const qsizetype added = after.size() - before.size();
    fuzz::Require(added >= 0 && added <= 2, "a write adds at most a section and a key");
    qsizetype same = 0;
    if (added == 0) {
        for (qsizetype i = 0; i < before.size(); ++i)
            same += before[i] == after[i] ? 1 : 0;
    } else {
        for (const QString& line : after)
            same += same < before.size() && line == before[same] ? 1 : 0;
    }
    fuzz::Require(same >= before.size() - (added == 0 ? 1 : 0),
                  "every other line stays as it was, in its order");

    config::LoadSoftTypes();
    return 0;
}
