#pragma once

#include <QString>
#include <QStringList>

namespace config {

// An INI-style text file held as its lines, so that writing a key keeps every other line and
// its order. Section and key names compare without regard to case; blanks around a key name
// are not part of it.
class IniFile
{
public:
    // Reads path; false (and an empty file) when it does not exist or cannot be read.
    bool load(const QString& path);
    // Writes the lines back atomically (temporary file in the same folder, then rename).
    bool save(const QString& path) const;

    // The stored value, blanks trimmed, cut at the first NUL; found=false when the key is missing.
    QString value(QStringView section, QStringView key, bool* found = nullptr) const;
    // Replaces the key's value, or adds the key (and the section) when missing.
    void setValue(QStringView section, QStringView key, const QString& value);

    const QStringList& lines() const { return m_lines; }

private:
    qsizetype findSection(QStringView section) const; // index of the "[section]" line, or -1
    qsizetype sectionEnd(qsizetype header) const;     // index of the next section's line
    qsizetype findKey(qsizetype header, QStringView key) const;

    QStringList m_lines;
};

// The value of section/key of the program folder's file (at most 127 CP932 bytes), or def when
// the file or the key is missing. The file is never created by a read.
QString ReadIni(const QString& file, const QString& section, const QString& key,
                const QString& def);
// Writes section/key of the program folder's file. Always true; a failed write is not reported.
bool WriteIni(const QString& section, const QString& key, const QString& value,
              const QString& file);
bool WriteIni(const QString& section, const QString& key, long long value, const QString& file);

} // namespace config
