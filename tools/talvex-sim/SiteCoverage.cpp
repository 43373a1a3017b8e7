// The coverage pass of the generator: random draws leave some cases out of a small site, so
// every case the analysers must meet is made present here, whatever the seed.

#include "config/Settings.h"
#include "talvex-sim/Site.h"
#include "talvex-sim/SiteText.h"

#include <QSet>
#include <functional>
#include <optional>

namespace talvexsim {

namespace {

struct Feature
{
    std::optional<ListLayout> layout; // only packages whose home list has this layout
    std::function<bool(const Package&)> has;
    std::function<void(Package&)> give;
};

bool hasAny(const QString& text, QStringView chars)
{
    for (QChar c : chars) {
        if (text.contains(c))
            return true;
    }
    return false;
}

bool hasHalfWidthKana(const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F)
            return true;
    }
    return false;
}

void setType(Package& p, int code)
{
    p.typeCode = code;
    p.price = code == 1 ? 1050 : code == 3 ? 9800 : 0;
    if (p.price > 0)
        p.traits &= ~quint32(TraitPriceOutside);
}

void giveDate(Package& p)
{
    if (!p.openDate.isValid())
        p.openDate = QDate(2003, 4, 15);
}

void giveSize(Package& p)
{
    if (p.sizeKb < 0)
        p.sizeKb = int((p.archiveBytes + 1023) / 1024);
}

QList<Feature> listFeatures(ListLayout layout)
{
    const QString special = sitetext::SpecialCharText();
    auto text = [](const Package& p) { return QString(p.name + p.description); };
    QList<Feature> f{
        {layout, [](const Package& p) { return !p.openDate.isValid() && p.sizeKb >= 0; },
         [](Package& p) {
             p.openDate = QDate();
             p.isNew = false;
             giveSize(p);
         }},
        {layout, [](const Package& p) { return p.openDate.isValid() && p.sizeKb < 0; },
         [](Package& p) {
             giveDate(p);
             p.sizeKb = -1;
         }},
        {layout, [](const Package& p) { return !p.openDate.isValid() && p.sizeKb < 0; },
         [](Package& p) {
             p.openDate = QDate();
             p.isNew = false;
             p.sizeKb = -1;
         }},
        {layout, [](const Package& p) { return p.isNew; },
         [](Package& p) {
             p.isNew = true;
             p.openDate = QDate(2009, 12, 20);
         }},
        {layout, [](const Package& p) { return !p.pickUpUrl.isEmpty() && p.newsUrl.isEmpty(); },
         [](Package& p) {
             p.pickUpUrl = config::SiteRoot +
                           QStringLiteral("pickup/pu%1.html").arg(p.id, 6, 10, QChar(u'0'));
             p.newsUrl.clear();
         }},
        {layout, [](const Package& p) { return p.pickUpUrl.isEmpty() && !p.newsUrl.isEmpty(); },
         [](Package& p) {
             p.pickUpUrl.clear();
             p.newsUrl = config::SiteRoot +
                         QStringLiteral("softnews/sn%1.html").arg(p.id, 6, 10, QChar(u'0'));
         }},
        {layout, [](const Package& p) { return p.version.isEmpty(); },
         [](Package& p) { p.version.clear(); }},
        {layout, [](const Package& p) { return hasAny(p.name, u"&<>\"'"); },
         [](Package& p) { p.name = sitetext::EntityName(); }},
        {layout,
         [](const Package& p) {
             return hasAny(p.description, u"&<>\"'") && !p.description.contains(u"&lt;");
         },
         [](Package& p) { p.description = sitetext::EntityDescription(); }},
        {layout, [text](const Package& p) { return text(p).contains(u"&lt;"); },
         [](Package& p) { p.description = sitetext::LiteralEntityText(); }},
        {layout, [text](const Package& p) { return hasHalfWidthKana(text(p)); },
         [special](Package& p) { p.description = special; }},
    };
    for (QChar c : QStringView(u"～①＼"))
        f.append({layout, [text, c](const Package& p) { return text(p).contains(c); },
                  [special](Package& p) { p.description = special; }});
    for (int code : {0, 1, 2, 3, 4, 5, 99})
        f.append({layout, [code](const Package& p) { return p.typeCode == code; },
                  [code](Package& p) { setType(p, code); }});
    if (layout == ListLayout::FileList) {
        // An entry whose size is followed by "K&nbsp;" rather than "K)".
        f.append({layout, [](const Package& p) { return p.typeCode == 1 && p.sizeKb >= 0; },
                  [](Package& p) {
                      setType(p, 1);
                      giveSize(p);
                  }});
        return f;
    }
    f.append({layout,
              [](const Package& p) { return p.price > 0 && p.sizeKb >= 0 && p.openDate.isValid(); },
              [](Package& p) {
                  setType(p, 1);
                  giveSize(p);
                  giveDate(p);
              }});
    f.append({layout, [](const Package& p) { return p.price > 0 && p.sizeKb < 0; },
              [](Package& p) {
                  setType(p, 1);
                  p.sizeKb = -1;
              }});
    // An undated priced entry: its size is followed by "K&nbsp;" and then the price.
    f.append(
        {layout,
         [](const Package& p) { return p.price > 0 && p.sizeKb >= 0 && !p.openDate.isValid(); },
         [](Package& p) {
             setType(p, 3);
             giveSize(p);
             p.openDate = QDate();
             p.isNew = false;
         }});
    return f;
}

Feature traitFeature(PackageTrait trait, bool wanted = true)
{
    return {std::nullopt, [trait, wanted](const Package& p) { return p.has(trait) == wanted; },
            [trait, wanted](Package& p) {
                if (wanted)
                    p.traits |= trait;
                else
                    p.traits &= ~quint32(trait);
            }};
}

} // namespace

void Site::ensureCoverage()
{
    QList<Feature> features;
    for (ListLayout layout : {ListLayout::FileList, ListLayout::LI, ListLayout::Classic})
        features += listFeatures(layout);
    features.append(
        {ListLayout::Classic,
         [](const Package& p) { return !p.pickUpUrl.isEmpty() && !p.newsUrl.isEmpty(); },
         [](Package& p) {
             const QString id = QStringLiteral("%1").arg(p.id, 6, 10, QChar(u'0'));
             p.pickUpUrl = config::SiteRoot + u"pickup/pu" + id + u".html";
             p.newsUrl = config::SiteRoot + u"softnews/sn" + id + u".html";
         }});
    // A glued classic entry shows only when another entry precedes it on the page.
    auto notFirst = [this](const Package& p) {
        for (int other : m_folders.at(p.home).packages) {
            if (m_packages.at(other).popularity > p.popularity)
                return true;
        }
        return false;
    };
    features.append({ListLayout::Classic,
                     [notFirst](const Package& p) { return p.has(TraitGluedEntry) && notFirst(p); },
                     [notFirst](Package& p) {
                         if (notFirst(p))
                             p.traits |= TraitGluedEntry;
                     }});
    for (PackageTrait t : {TraitGluedDescription, TraitNoBytes, TraitEscapedNote, TraitAuthorTab,
                           TraitCrlfPages, TraitIntro, TraitNbspText})
        features.append(traitFeature(t));
    features.append(traitFeature(TraitCrlfPages, false));
    features.append({std::nullopt,
                     [](const Package& p) { return p.price == 0 && p.has(TraitPriceOutside); },
                     [](Package& p) {
                         setType(p, 0);
                         p.traits |= TraitPriceOutside;
                     }});
    features.append({std::nullopt,
                     [](const Package& p) { return p.price == 0 && !p.has(TraitPriceOutside); },
                     [](Package& p) { setType(p, 0); }});
    features.append(
        {std::nullopt,
         [](const Package& p) { return sitetext::MakeAuthor(p.author).pageUrl.isEmpty(); },
         [](Package& p) { p.author = 0; }}); // author 0 has no page
    features.append(
        {std::nullopt,
         [](const Package& p) { return hasAny(sitetext::MakeAuthor(p.author).name, u"&'\""); },
         [](Package& p) { p.author = 4; }}); // author 4 is "Team A&B"

    auto inScope = [this](const Feature& f, const Package& p) {
        return !f.layout || m_folders.at(p.home).layout == *f.layout;
    };
    // First keep the packages that already show a case, then change others for the rest.
    QSet<int> claimed;
    QList<int> missing;
    for (int i = 0; i < features.size(); ++i) {
        int found = -1;
        for (const Package& p : std::as_const(m_packages)) {
            if (inScope(features[i], p) && features[i].has(p)) {
                found = p.index;
                break;
            }
        }
        if (found >= 0)
            claimed.insert(found);
        else
            missing.append(i);
    }
    for (int i : std::as_const(missing)) {
        QList<int> candidates;
        for (const Package& p : std::as_const(m_packages)) {
            if (inScope(features[i], p) && !claimed.contains(p.index))
                candidates.append(p.index);
        }
        const qsizetype start = candidates.isEmpty() ? 0 : (i * 7919) % candidates.size();
        for (qsizetype k = 0; k < candidates.size(); ++k) {
            const int chosen = candidates.at((start + k) % candidates.size());
            Package changed = m_packages.at(chosen);
            features[i].give(changed);
            if (!features[i].has(changed))
                continue;
            m_packages[chosen] = changed;
            claimed.insert(chosen);
            break;
        }
    }
}

} // namespace talvexsim
