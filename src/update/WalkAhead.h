#pragma once

#include "update/CategoryAnalysis.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <unordered_map>
#include <utility>
#include <vector>

// The pages an update run's walk certainly reads next, requested ahead of their turn so that a
// slow link serves several at once. The walk itself is not changed: it reads, analyses and
// writes its pages one after another in its own order; this only tells the fetcher which
// answers it will ask for.
namespace update {

// A list a page stops at: a list whose pages never end ends the folder after this many pages.
inline constexpr int kMaxListPages = 10000;

// The walk's open sub-category lists, outermost first, each with the position of the folder
// being walked in it.
using OpenLevels = std::vector<std::pair<const QStringList*, qsizetype>>;

// Where the walk stands: the folder being read and its page being fetched, or just analysed.
struct WalkCursor
{
    QString folderUrl;
    int level = 0;                         // the folder's depth below its area's root
    bool walkChildren = false;             // its sub-categories are walked after its list
    bool listed = false;                   // its list pages are read, not only its first page
    int page = 1;                          // the page being fetched or just analysed
    bool analysed = false;                 // next and, for page 1, children are known
    int next = -1;                         // the list page after it, once analysed
    const QStringList* children = nullptr; // the sub-categories, from page 1's analysis
    const QSet<int>* readPages = nullptr;  // the folder's list pages read so far
    const QSet<QString>* shown = nullptr;  // the entries they showed
};

class WalkAhead
{
public:
    // listOrder: the run's list order; rootLevel: the depth of the folder the walk started at.
    // With peek, answers that have arrived are looked into for the pages they lead to (their
    // sub-categories and next list pages), so the plan reaches past the pages the walk has
    // analysed: only for runs whose folders' visited marks were cleared at their start, where
    // the walk's choice of sub-categories depends on this run's links alone.
    WalkAhead(bool peek, int listOrder, int rootLevel);

    // Tells the fetcher the pages the walk reads next, nearest first, from where it stands.
    void plan(const WalkCursor& cursor, const OpenLevels& open);
    // The folders a category page of the walk linked: visited from now on.
    void addLinked(const QStringList& folders);
    // The walk analysed the page: what was seen of it ahead is no longer needed.
    void forget(const QString& pageUrl);

private:
    struct Peeked
    {
        QList<FolderRecord> links; // a first page's folder links
        int next = -1;             // the list page it leads to
        QStringList entries;       // the entries its list shows
    };
    struct Plan;
    enum class Outcome { Continue, FolderStops, Full };

    // The answer that arrived for a page, analysed; nullptr while none has.
    const Peeked* peek(const QString& folderUrl, int page);
    bool visitFolder(Plan& plan, const QString& folderUrl, int level);
    Outcome followList(Plan& plan, const QString& folderUrl, int page, bool beingRead,
                       const QSet<int>* readPages, const QSet<QString>* shown);
    QStringList childrenOf(Plan& plan, const QString& folderUrl,
                           const QList<FolderRecord>& links) const;

    bool m_peek;
    int m_listOrder;
    int m_rootLevel;
    QSet<QString> m_linked;
    std::unordered_map<QString, Peeked> m_peeked; // node-based: what peek() gives stays put
};

} // namespace update
