#include "site/UrlEncode.h"

#include "util/Text.h"

namespace site {

namespace {

bool keptAsIs(uchar c)
{
    return (c >= '@' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '*' ||
           c == '-' || c == '.' || c == '_';
}

// The code page 932 bytes of one character; "?" when it has none (the converter writes FC FC,
// a code no character has).
QByteArray codeOf(QStringView character)
{
    const QByteArray bytes = text::EncodeCp932(character);
    const bool unmapped = bytes.isEmpty() || bytes == "\xFC\xFC";
    return unmapped ? QByteArrayLiteral("?") : bytes;
}

void appendHex(QString& out, uchar byte)
{
    out += u'%' + QString::number(byte, 16).toUpper().rightJustified(2, u'0');
}

} // namespace

QString UrlEncode(const QString& text)
{
    QString out;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype step = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray code = codeOf(QStringView(text).mid(i, step));
        i += step;
        if (code.size() == 1 && code.at(0) == ' ')
            out += u'+';
        else if (code.size() == 1 && keptAsIs(uchar(code.at(0))))
            out += QChar::fromLatin1(code.at(0));
        else
            for (const char byte : code)
                appendHex(out, uchar(byte));
    }
    return out;
}

} // namespace site
