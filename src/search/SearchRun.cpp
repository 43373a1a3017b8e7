#include "search/SearchRun.h"

#include "catalogue/Catalogue.h"

namespace search {

namespace {

const QString kMarksKept = QStringLiteral("前回の検索結果はそのまま残っています。");

QString invalidPatternText(SearchText which, const SearchConditions& c)
{
    const bool name = which == SearchText::Name;
    return (name ? QStringLiteral("ソフト名の「") + c.name
                 : QStringLiteral("ソフトの説明に含まれる文字列の「") + c.description) +
           QStringLiteral("」は検索の条件に使えません。\r\n"
                          "[ ] で囲む文字の指定が閉じていないか、[z-a] のように範囲が逆に"
                          "なっています。");
}

QString failedText(const catalogue::Db& db)
{
    const QString reason = db.lastError().text();
    return QStringLiteral("データベースを検索できませんでした。\r\n") + kMarksKept +
           (reason.isEmpty() ? QString() : QStringLiteral("\r\n\r\n(") + reason + u')');
}

} // namespace

SearchOutcome RunSearch(const SearchConditions& conditions)
{
    SearchOutcome out;
    const std::optional<catalogue::SqlCondition> where =
        SearchCondition(conditions, &out.invalidText);
    if (!where) {
        out.error = invalidPatternText(out.invalidText, conditions);
        return out;
    }
    catalogue::Db db;
    if (!catalogue::OpenCatalogue(db)) {
        out.error =
            QStringLiteral("データベースを開けないため、検索できませんでした。\r\n") + kMarksKept;
        return out;
    }
    if (!db.beginTransaction()) {
        out.error = failedText(db);
        return out;
    }
    std::optional<int> hits;
    if (catalogue::ClearSearch(db) && catalogue::MarkSearch(db, *where))
        hits = catalogue::CountSearch(db);
    if (hits && db.commit()) {
        out.hits = hits;
        return out;
    }
    out.error = failedText(db);
    db.rollback();
    return out;
}

QString HitOverflowText(int searchMax)
{
    const QString max = QString::number(searchMax);
    return QStringLiteral("設定した条件でのヒット数が") + max +
           QStringLiteral("件を超えました。\r\n") + max +
           QStringLiteral("件目までを表示します。\r\n\r\n"
                          "件数を少なくしたい場合、条件を絞り込んでください。");
}

} // namespace search
