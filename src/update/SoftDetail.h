#pragma once

#include <QString>

// The detail analysis of one software entry: its detail page and its download page are fetched
// into the page cache (unless cached and current), parsed, and written into the entry's row.
namespace update {

inline constexpr int kDetailFetchAttempts = 5;  // failed fetches of one page before giving up
inline constexpr int kDetailRetryWaitMs = 3000; // between two fetches of one page

// Reads the pages of the entry (folderUrl, detailUrl) and writes its detail columns with
// DetailRead set; a missing row is added, an existing one keeps its list columns and marks.
// Without force a current cached page stops the analysis at once. Nothing is written when the
// analysis stops early (cancel, no connection, five failed fetches, a page without a cache
// file). True when the row was written; callers may as well read the row again.
bool AnalyzeSoftDetail(const QString& folderUrl, const QString& detailUrl, bool force);

// Tests shorten the wait between two fetches of a page; a negative value restores the default.
void SetDetailRetryWaitForTests(int ms);

} // namespace update
