#pragma once

#include <QString>
#include <QVariantList>
#include <optional>

namespace catalogue {

// A WHERE fragment with "?" placeholders and the values bound to them, in order. Column names
// come from code; every value a user or a page supplies goes into values.
struct SqlCondition
{
    QString sql;
    QVariantList values;

    // Appends other with AND (the first piece is taken as it is).
    SqlCondition& operator&=(const SqlCondition& other);
};

// The text with the LIKE wildcards % and _ and the escape character \ escaped, for use with
// ESCAPE '\'.
QString EscapeLike(const QString& text);
// column starts with prefix, every character of prefix taken literally (ASCII letters compare
// without regard to case, as the catalogue's keys do).
SqlCondition PrefixCondition(const QString& column, const QString& prefix);

// A pattern of the Jet Like operator (* any run, ? one character, # one digit, [abc] [a-z]
// [!abc] one character of / not of a list) as an SQLite GLOB pattern over the ASCII-lowercased
// text; every other character, apostrophes included, is literal. Nothing when the pattern is
// invalid (an unclosed "[" or a descending range), where Jet refuses the statement.
std::optional<QString> JetLikeToGlob(const QString& pattern);
// "column Like pattern" with Jet's meaning, ASCII letters compared without regard to case.
// A Null column never matches. Nothing for an invalid pattern.
std::optional<SqlCondition> JetLikeCondition(const QString& column, const QString& pattern);

} // namespace catalogue
