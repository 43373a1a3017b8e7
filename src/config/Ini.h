#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace config {

// The lines of a settings or definition file: a line ends at CR LF, CR or LF, so a file edited
// by hand on any system reads as the same lines. A final line end does not start an empty last
// line. False when the file is missing or cannot be read.
bool ReadConfigLines(const QString& path, QStringList* lines);

// Whether a value can be written into the settings or definition files and read back unchanged:
// every character is one that code page 932 holds, and there is no line break and no NUL.
bool CanStoreText(QStringView value);
// The characters of value that cannot be stored, each once, in the order they appear; a line
// break is named "改行".
QStringList UnstorableCharacters(QStringView value);
// The message that refuses such a value: the value, the characters it cannot keep and what to do.
QString UnstorableTextMessage(const QString& value);

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

// The value of section/key of the program folder's file, whole however long it is, or def when
// the file or the key is missing. The file is never created by a read.
QString ReadIni(const QString& file, const QString& section, const QString& key,
                const QString& def);
// Writes section/key of the program folder's file, every other line kept. False when the file
// could not be written, or exists and could not be read (it is then left as it is).
bool WriteIni(const QString& section, const QString& key, const QString& value,
              const QString& file);
bool WriteIni(const QString& section, const QString& key, long long value, const QString& file);

} // namespace config
