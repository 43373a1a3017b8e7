#include "catalogue/SqlCondition.h"

#include <string>
#include <utility>
#include <vector>

namespace catalogue {

namespace {

char32_t asciiLower(char32_t c)
{
    return (c >= U'A' && c <= U'Z') ? c + (U'a' - U'A') : c;
}

// One bracket list of a Jet pattern.
struct CharClass
{
    bool negated = false;
    std::vector<char32_t> singles;
    std::vector<std::pair<char32_t, char32_t>> ranges;
};

// Reads the list that follows a "[" at p[i]; i ends after the closing "]". A "-" first or last
// is literal. False for an unclosed list or a descending range.
bool parseClass(const std::u32string& p, size_t& i, CharClass& cls)
{
    if (i < p.size() && p[i] == U'!') {
        cls.negated = true;
        ++i;
    }
    while (i < p.size() && p[i] != U']') {
        const char32_t lo = p[i++];
        if (i + 1 < p.size() && p[i] == U'-' && p[i + 1] != U']') {
            const char32_t hi = p[i + 1];
            i += 2;
            if (hi < lo)
                return false;
            cls.ranges.emplace_back(lo, hi);
        } else {
            cls.singles.push_back(lo);
        }
    }
    if (i >= p.size())
        return false;
    ++i;
    return true;
}

// The list in GLOB form over lowercased text. GLOB gives "^" a meaning first in a list and
// "-" between two characters, so both are moved where they are literal: "-" first, "^" last.
std::u32string emitClass(const CharClass& cls)
{
    bool dash = false;
    bool caret = false;
    std::u32string singles;
    std::u32string ranges;
    auto addSingle = [&](char32_t c) {
        c = asciiLower(c);
        if (c == U'-')
            dash = true;
        else if (c == U'^')
            caret = true;
        else
            singles += c;
    };
    auto addRange = [&](char32_t lo, char32_t hi) {
        for (const char32_t edge : {U'-', U'^'}) {
            if (lo == edge) {
                addSingle(edge);
                ++lo;
            }
        }
        if (lo > hi)
            return;
        ranges += lo;
        ranges += U'-';
        ranges += hi;
        // The text is lowercased, so capitals in the range stand for their small letters.
        const char32_t a = std::max(lo, U'A');
        const char32_t z = std::min(hi, U'Z');
        if (a <= z) {
            ranges += asciiLower(a);
            ranges += U'-';
            ranges += asciiLower(z);
        }
    };
    for (const char32_t c : cls.singles)
        addSingle(c);
    for (const auto& [lo, hi] : cls.ranges)
        addRange(lo, hi);
    const bool empty = !dash && singles.empty() && ranges.empty();
    if (empty && !caret)
        return cls.negated ? std::u32string(U"?") : std::u32string(); // "[]" matches nothing
    if (empty && !cls.negated)
        return U"^";
    std::u32string out = U"[";
    if (cls.negated)
        out += U'^';
    if (dash)
        out += U'-';
    out += ranges + singles;
    if (caret)
        out += U'^';
    out += U']';
    return out;
}

} // namespace

SqlCondition& SqlCondition::operator&=(const SqlCondition& other)
{
    if (sql.isEmpty())
        sql = u'(' + other.sql + u')';
    else
        sql += QStringLiteral(" AND (") + other.sql + u')';
    values += other.values;
    return *this;
}

QString EscapeLike(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == u'\\' || c == u'%' || c == u'_')
            out += u'\\';
        out += c;
    }
    return out;
}

SqlCondition PrefixCondition(const QString& column, const QString& prefix)
{
    return {column + QStringLiteral(" LIKE ? ESCAPE '\\'"), {QString(EscapeLike(prefix) + u'%')}};
}

std::optional<QString> JetLikeToGlob(const QString& pattern)
{
    const std::u32string p = pattern.toStdU32String();
    std::u32string out;
    for (size_t i = 0; i < p.size();) {
        const char32_t c = p[i++];
        if (c == U'*' || c == U'?') {
            out += c;
        } else if (c == U'#') {
            out += U"[0-9]";
        } else if (c == U'[') {
            CharClass cls;
            if (!parseClass(p, i, cls))
                return std::nullopt;
            out += emitClass(cls);
        } else {
            out += asciiLower(c);
        }
    }
    return QString::fromStdU32String(out);
}

std::optional<SqlCondition> JetLikeCondition(const QString& column, const QString& pattern)
{
    const std::optional<QString> glob = JetLikeToGlob(pattern);
    if (!glob)
        return std::nullopt;
    return SqlCondition{QStringLiteral("lower(") + column + QStringLiteral(") GLOB ?"), {*glob}};
}

} // namespace catalogue
