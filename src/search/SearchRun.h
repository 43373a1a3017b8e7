#pragma once

#include "search/SearchConditions.h"

#include <QString>
#include <optional>

namespace search {

struct SearchOutcome
{
    std::optional<int> hits; // entries marked; nothing when the search failed
    QString error;           // why it failed, in words for the user
    // The text that holds a pattern the catalogue refuses, when that is why.
    SearchText invalidText = SearchText::None;

    bool succeeded() const { return hits.has_value(); }
};

// The marking run on the catalogue of the settings: Search = False on every entry, Search =
// True on the entries that meet the conditions, and the number of marked entries, in one
// transaction: when any step fails nothing changes and the last search's marks stay. A pattern
// the catalogue refuses fails before the catalogue is opened.
SearchOutcome RunSearch(const SearchConditions& conditions);

// The message shown when a search marks more entries than the result list shows (SearchMax),
// and its title.
QString HitOverflowText(int searchMax);
inline const QString HitOverflowTitle = QStringLiteral("ヒット数オーバー");

} // namespace search
