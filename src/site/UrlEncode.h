#pragma once

#include <QString>

namespace site {

// Encodes text for a query value in code page 932: letters, digits, "@", "*", "-", "." and "_"
// stay; a space becomes "+"; every other byte becomes "%" and two upper-case hexadecimal digits,
// so a double-byte character gives two such groups ("%82%A0"). A character that code page 932
// cannot hold is sent as "?" ("%3F").
QString UrlEncode(const QString& text);

} // namespace site
