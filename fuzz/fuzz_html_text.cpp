// The text helpers under the page analysers: each keeps to the text it is given.
#include "FuzzSupport.h"
#include "update/HtmlText.h"

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = fuzz::Cp932(data, size);
    const qsizetype n = text.size();

    const QString joined = update::JoinLines(text);
    fuzz::Require(!joined.contains(u'\r') && joined.size() <= n, "joined lines keep no CR");
    fuzz::Require(update::DecodeEntities(text).size() <= n, "decoding never lengthens the text");
    fuzz::Require(update::StripTags(text).size() <= n, "stripping tags never lengthens the text");
    const QString trimmed = update::TrimBlanks(text);
    fuzz::Require(trimmed.isEmpty() || (!isBlank(trimmed.front()) && !isBlank(trimmed.back())),
                  "no blank is left at either end");

    if (const auto number = update::ReadGroupedNumber(text))
        fuzz::Require(*number >= 0, "a grouped number is never negative");
    if (const auto date = update::ReadDottedDate(text))
        fuzz::Require(date->isValid(), "a dotted date is a real date");

    // Searches and cuts at and beyond both edges of the text.
    const QStringView what = QStringView(text).left(2);
    for (const qsizetype at : {qsizetype(-1), qsizetype(0), n / 2, n, n + 1}) {
        const qsizetype found = update::Find(text, what, at);
        fuzz::Require(found == -1 || (found >= at && found + what.size() <= n),
                      "a search finds inside the text, at or after its start");
        const qsizetype last = update::FindLastBefore(text, what, at);
        fuzz::Require(last == -1 || (last >= 0 && last + what.size() <= qMin(at, n)),
                      "a search backwards finds wholly before its end");
        fuzz::Require(update::Between(text, at, n - at).size() <= n, "a cut stays in the text");
    }
    return 0;
}
