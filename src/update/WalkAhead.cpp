#include "update/WalkAhead.h"

#include "config/Categories.h"
#include "config/Settings.h"
#include "site/Fetcher.h"
#include "update/ListAnalysis.h"
#include "update/PageCache.h"
#include "update/RunState.h"
#include "update/UpdateRun.h"
#include "util/Text.h"

#include <QUrl>

namespace update {

namespace {

// The category analysis of a page seen ahead: it collects the page's folder links and writes
// nothing (every folder counts as visited, so none is walked).
class LinkCollector final : public FolderWriter
{
public:
    std::optional<bool> saveFolder(const FolderRecord&) override { return true; }
};

// What the walk's own category analysis would answer for a page seen ahead: a folder is visited
// once a page of this run (analysed by the walk, or seen ahead of it) has linked it.
class LookaheadWriter final : public FolderWriter
{
public:
    LookaheadWriter(const QSet<QString>& linked, QSet<QString>* planLinked)
        : m_linked(linked), m_planLinked(planLinked)
    {}
    std::optional<bool> saveFolder(const FolderRecord& folder) override
    {
        const bool visited =
            m_linked.contains(folder.TargetURL) || m_planLinked->contains(folder.TargetURL);
        m_planLinked->insert(folder.TargetURL);
        return visited;
    }

private:
    const QSet<QString>& m_linked;
    QSet<QString>* m_planLinked;
};

CategoryContext contextOf(const QString& folderUrl)
{
    const RunState& state = runState();
    return {folderUrl, state.CurrentArea, state.UpdateTargetUrl, 0};
}

// Whether a list page shows an entry that neither the walk's pages of the folder (base) nor the
// pages seen ahead of them (shown) did; shown takes the page's entries.
bool addsEntries(const QStringList& entries, const QSet<QString>* base, QSet<QString>* shown)
{
    bool added = false;
    for (const QString& e : entries) {
        if (!(base && base->contains(e)) && !shown->contains(e)) {
            shown->insert(e);
            added = true;
        }
    }
    return added;
}

} // namespace

// One plan being made: the pages in the walk's order, and the requests sent ahead that it has
// not met yet (it goes on until it has, so none of them is dropped as unplanned).
struct WalkAhead::Plan
{
    QStringList pages;
    QList<QUrl> unmatched;
    int held = 1;
    QSet<QString> linked; // folders linked by the pages seen ahead, in the walk's order

    // Adds a page; false once the plan is long enough.
    bool add(const QString& pageUrl)
    {
        pages.append(pageUrl);
        if (!unmatched.isEmpty())
            unmatched.removeOne(QUrl(pageUrl));
        return pages.size() < held || !unmatched.isEmpty();
    }
};

WalkAhead::WalkAhead(bool peek, int listOrder, int rootLevel)
    : m_peek(peek), m_listOrder(listOrder), m_rootLevel(rootLevel)
{}

void WalkAhead::plan(const WalkCursor& cursor, const OpenLevels& open)
{
    if (runState().stopped() || cursor.folderUrl.isEmpty())
        return;
    Plan plan;
    plan.unmatched = site::iNetPrefetched();
    plan.held = site::PrefetchHeldLimit();
    // The page the walk is about to read may still wait among the answers sent ahead.
    if (!cursor.analysed) {
        const QString reading = ListPageUrl(cursor.folderUrl, m_listOrder, cursor.page);
        if (plan.unmatched.contains(QUrl(reading)))
            plan.add(reading);
    }
    // The rest of the current folder's list: after the page just analysed, or, while the page
    // is being read, after what was seen of it ahead.
    Outcome current = Outcome::Continue;
    if (cursor.listed) {
        current = cursor.analysed ? followList(plan, cursor.folderUrl, cursor.next, false,
                                               cursor.readPages, cursor.shown)
                                  : followList(plan, cursor.folderUrl, cursor.page, true,
                                               cursor.readPages, cursor.shown);
    }
    // The sub-categories follow the list: the first page's analysis names them.
    if (current == Outcome::Continue && cursor.walkChildren && cursor.children) {
        QStringList seenChildren;
        const QStringList* children = cursor.children;
        if (cursor.page == 1 && !cursor.analysed) {
            const Peeked* first = peek(cursor.folderUrl, 1);
            seenChildren = first ? childrenOf(plan, cursor.folderUrl, first->links) : QStringList();
            children = &seenChildren;
        }
        for (const QString& child : *children) {
            if (!visitFolder(plan, child, cursor.level + 1)) {
                current = Outcome::Full;
                break;
            }
        }
    }
    for (qsizetype depth = qsizetype(open.size()) - 1; current != Outcome::Full && depth >= 0;
         --depth) {
        const auto& [folders, position] = open[size_t(depth)];
        for (qsizetype i = position + 1; i < folders->size(); ++i) {
            if (!visitFolder(plan, folders->at(i), m_rootLevel + int(depth) + 1)) {
                current = Outcome::Full;
                break;
            }
        }
    }
    site::iNetPlanAhead(plan.pages);
}

void WalkAhead::addLinked(const QStringList& folders)
{
    for (const QString& f : folders)
        m_linked.insert(f);
}

void WalkAhead::forget(const QString& pageUrl)
{
    m_peeked.erase(pageUrl);
}

// A folder as the walk reads it: its list (or only its first page), then, when its first page
// has been seen, its sub-categories. False once the plan is long enough.
bool WalkAhead::visitFolder(Plan& plan, const QString& folderUrl, int level)
{
    Outcome outcome = Outcome::Continue;
    if (config::IsCategoryFetched(folderUrl))
        outcome = followList(plan, folderUrl, 1, false, nullptr, nullptr);
    else if (!HasCacheFile(folderUrl, m_listOrder, 1))
        outcome = Outcome::FolderStops;
    else if (!plan.add(ListPageUrl(folderUrl, m_listOrder, 1)))
        outcome = Outcome::Full;
    if (outcome != Outcome::Continue)
        return outcome != Outcome::Full;
    const Peeked* first = peek(folderUrl, 1);
    if (!first)
        return true; // its sub-categories are not known yet
    const QStringList children = childrenOf(plan, folderUrl, first->links);
    if (level >= kMaxFolderDepth)
        return true;
    for (const QString& child : children) {
        if (!visitFolder(plan, child, level + 1))
            return false;
    }
    return true;
}

// The folder's list from page on, as far as its pages have been seen, with the walk's rules for
// a list that repeats itself; beingRead: page is the one the walk is reading, not planned again.
// readPages and shown: what the walk has read of the folder already.
WalkAhead::Outcome WalkAhead::followList(Plan& plan, const QString& folderUrl, int page,
                                         bool beingRead, const QSet<int>* readPages,
                                         const QSet<QString>* shown)
{
    QSet<int> read;
    QSet<QString> seenEntries;
    qsizetype count = readPages ? readPages->size() : 0;
    for (bool first = true; page != -1; first = false) {
        const bool planned = !(first && beingRead);
        // A page without a cache file stops the folder: its sub-categories are not walked.
        if (planned && !HasCacheFile(folderUrl, m_listOrder, page))
            return Outcome::FolderStops;
        if (planned && !plan.add(ListPageUrl(folderUrl, m_listOrder, page)))
            return Outcome::Full;
        const Peeked* seen = peek(folderUrl, page);
        if (!seen)
            return Outcome::Continue;
        read.insert(page);
        ++count;
        int next = seen->next;
        if (next != -1 &&
            (read.contains(next) || (readPages && readPages->contains(next)) ||
             count >= kMaxListPages || !addsEntries(seen->entries, shown, &seenEntries)))
            next = -1;
        page = next;
    }
    return Outcome::Continue;
}

QStringList WalkAhead::childrenOf(Plan& plan, const QString& folderUrl,
                                  const QList<FolderRecord>& links) const
{
    LookaheadWriter writer(m_linked, &plan.linked);
    const CategoryContext context = contextOf(folderUrl);
    QStringList children;
    for (const FolderRecord& link : links) {
        if (AnalyzeHTMLSub(writer, link, context))
            children.append(link.TargetURL);
    }
    return children;
}

const WalkAhead::Peeked* WalkAhead::peek(const QString& folderUrl, int page)
{
    if (!m_peek)
        return nullptr;
    const QString url = ListPageUrl(folderUrl, m_listOrder, page);
    if (const auto known = m_peeked.find(url); known != m_peeked.end())
        return &known->second;
    const std::optional<QByteArray> body = site::iNetPeekPrefetched(url);
    if (!body)
        return nullptr;
    const QString text = text::DecodeCp932(*body);
    Peeked seen;
    if (page == 1) {
        LinkCollector collector;
        seen.links = AnalyzeHTML(text, contextOf(folderUrl), collector).folders;
    }
    if (config::IsCategoryFetched(folderUrl)) {
        const SoftListPage list =
            AnalyzeSoftList(text, folderUrl, page, config::settings().ReadMaxPages);
        seen.next = list.layout == ListLayout::None ? -1 : list.nextPage;
        for (const SoftListEntry& e : list.entries)
            seen.entries.append(e.TargetURL);
    }
    return &m_peeked.emplace(url, std::move(seen)).first->second;
}

} // namespace update
