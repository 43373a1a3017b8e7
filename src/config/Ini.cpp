#include "config/Ini.h"

#include "util/ProgramFolder.h"
#include "util/Text.h"

#include <QFileInfo>

namespace config {

namespace {

bool isSectionLine(QStringView line, QStringView* name = nullptr)
{
    const QStringView t = line.trimmed();
    if (!t.startsWith(u'['))
        return false;
    const qsizetype close = t.indexOf(u']');
    if (close < 0)
        return false;
    if (name)
        *name = t.mid(1, close - 1).trimmed();
    return true;
}

QStringView keyOf(QStringView line)
{
    const qsizetype eq = line.indexOf(u'=');
    return eq < 0 ? QStringView() : line.left(eq).trimmed();
}

QString cleanValue(QStringView raw)
{
    QString v = raw.trimmed().toString();
    const qsizetype nul = v.indexOf(QChar(0));
    if (nul >= 0)
        v.truncate(nul);
    return v;
}

} // namespace

bool ReadConfigLines(const QString& path, QStringList* lines)
{
    QString content;
    if (!text::ReadTextFile(path, &content))
        return false;
    lines->clear();
    qsizetype start = 0;
    for (qsizetype i = 0; i < content.size(); ++i) {
        const QChar c = content.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines->append(content.mid(start, i - start));
        if (c == u'\r' && i + 1 < content.size() && content.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < content.size())
        lines->append(content.mid(start));
    return true;
}

QStringList UnstorableCharacters(QStringView value)
{
    QStringList found;
    for (qsizetype i = 0; i < value.size();) {
        const qsizetype step = value.at(i).isHighSurrogate() && i + 1 < value.size() ? 2 : 1;
        const QStringView c = value.mid(i, step);
        i += step;
        QString name;
        if (c == u"\r" || c == u"\n") {
            name = QStringLiteral("改行");
        } else if (c == QChar(0)) {
            name = QStringLiteral("NUL");
        } else if (c.at(0).unicode() >= 0x80) {
            // The character must come back as itself: a byte sequence that reads as another
            // character would change the value as surely as a "?".
            if (text::FitsCp932(c))
                continue;
            name = c.toString();
        } else {
            continue;
        }
        if (!found.contains(name))
            found.append(name);
    }
    return found;
}

bool CanStoreText(QStringView value)
{
    for (const QChar c : value) {
        if (c.unicode() >= 0x80 || c == u'\r' || c == u'\n' || c == QChar(0))
            return UnstorableCharacters(value).isEmpty();
    }
    return true;
}

QString UnstorableTextMessage(const QString& value)
{
    QStringList quoted;
    for (const QString& c : UnstorableCharacters(value))
        quoted.append(u'「' + c + u'」');
    return u'「' + value + QStringLiteral("」には、設定ファイルに保存できない文字 ") +
           quoted.join(QString()) + QStringLiteral(" が含まれています。\r\n") +
           QStringLiteral("設定ファイルは Shift_JIS で書かれるため、Shift_JIS にない文字は保存でき"
                          "ません。\r\n別の名前や文字を指定してください。");
}

bool IniFile::load(const QString& path)
{
    m_lines.clear();
    return ReadConfigLines(path, &m_lines);
}

bool IniFile::save(const QString& path) const
{
    return text::WriteLines(path, m_lines);
}

qsizetype IniFile::findSection(QStringView section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        QStringView name;
        if (isSectionLine(m_lines[i], &name) &&
            name.compare(section.trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

qsizetype IniFile::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && !isSectionLine(m_lines[i]))
        ++i;
    return i;
}

qsizetype IniFile::findKey(qsizetype header, QStringView key) const
{
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const QStringView k = keyOf(m_lines[i]);
        if (!k.isEmpty() && k.compare(key.trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString IniFile::value(QStringView section, QStringView key, bool* found) const
{
    const qsizetype header = findSection(section);
    const qsizetype line = header < 0 ? -1 : findKey(header, key);
    if (found)
        *found = line >= 0;
    if (line < 0)
        return {};
    const QString& l = m_lines[line];
    return cleanValue(QStringView(l).mid(l.indexOf(u'=') + 1));
}

void IniFile::setValue(QStringView section, QStringView key, const QString& value)
{
    qsizetype header = findSection(section);
    if (header < 0) {
        m_lines.append(u'[' + section.trimmed().toString() + u']');
        m_lines.append(key.trimmed().toString() + u'=' + value);
        return;
    }
    const qsizetype line = findKey(header, key);
    if (line >= 0) {
        // Keep the stored spelling of the key; only the value changes.
        const QString& old = m_lines[line];
        m_lines[line] = old.left(old.indexOf(u'=')).trimmed() + u'=' + value;
        return;
    }
    // A new key goes after the section's last non-empty line.
    qsizetype insertAt = sectionEnd(header);
    while (insertAt > header + 1 && m_lines[insertAt - 1].trimmed().isEmpty())
        --insertAt;
    m_lines.insert(insertAt, key.trimmed().toString() + u'=' + value);
}

QString ReadIni(const QString& file, const QString& section, const QString& key, const QString& def)
{
    const QString path = programfolder::InProgramFolder(file);
    if (!QFileInfo(path).isFile())
        return def;
    IniFile ini;
    if (!ini.load(path))
        return def;
    bool found = false;
    const QString v = ini.value(section, key, &found);
    return found ? v : def;
}

bool WriteIni(const QString& section, const QString& key, const QString& value, const QString& file)
{
    const QString path = programfolder::InProgramFolder(file);
    IniFile ini;
    // An existing file that cannot be read is left alone rather than replaced by one key.
    if (!ini.load(path) && QFileInfo::exists(path))
        return false;
    ini.setValue(section, key, value);
    return ini.save(path);
}

bool WriteIni(const QString& section, const QString& key, long long value, const QString& file)
{
    return WriteIni(section, key, QString::number(value), file);
}

} // namespace config
