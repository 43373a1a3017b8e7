#include "talvex-sim/Site.h"

#include "config/Categories.h"
#include "config/Settings.h"
#include "talvex-sim/Rng.h"
#include "talvex-sim/SiteText.h"

#include <QtMath>
#include <algorithm>

namespace talvexsim {

namespace {

constexpr int kPackagesPerScale = 300;
constexpr int kGamesPercent = 20;
constexpr int kFileListPageSize = 20;
constexpr int kLiPageSize = 15;
constexpr int kMaxScale = 1000; // six-digit entry numbers must not run out
// The largest chosen archive size: its size in KB still fits the lists' whole number.
constexpr qint64 kMaxArchiveBytes = qint64(1) << 40;

const QDate kFirstDate(1996, 1, 1);
const QDate kLastOldDate(2009, 11, 30);
const QDate kNewFrom(2009, 12, 1);

int slashes(const QString& text)
{
    return int(text.count(u'/'));
}

// Relative weight of a library platform: the Windows areas carry most packages.
double platformWeight(const QString& segment)
{
    static const QHash<QString, double> weights{
        {QStringLiteral("win95"), 4.0}, {QStringLiteral("win"), 3.5},
        {QStringLiteral("winnt"), 3.0}, {QStringLiteral("win31"), 1.5},
        {QStringLiteral("mac"), 2.5},   {QStringLiteral("dos"), 1.2},
        {QStringLiteral("unix"), 1.2},
    };
    return weights.value(segment, 0.5);
}

QString archiveExtension(Rng& rng, const QString& platform, int area)
{
    static const char* const kWindows[] = {".lzh", ".zip", ".exe"};
    if (area == kAreaGames)
        return QString::fromLatin1(rng.percent(50) ? ".lzh" : ".zip");
    if (platform.startsWith(u"mac"))
        return QStringLiteral(".sit");
    if (platform == u"unix" || platform == u"solaris")
        return QStringLiteral(".tar.gz");
    if (platform == u"os2")
        return QStringLiteral(".zip");
    if (platform.startsWith(u"win") || platform == u"maker")
        return QString::fromLatin1(rng.pick(kWindows));
    return QStringLiteral(".lzh");
}

QString sixDigits(int id)
{
    return QStringLiteral("%1").arg(id, 6, 10, QChar(u'0'));
}

} // namespace

Site::Site(quint64 seed, int scale, qint64 archiveBytes)
    : m_seed(seed), m_scale(qBound(1, scale, kMaxScale))
{
    Rng rng(seed * 0x2545F4914F6CDD1Dull + 0x5EEDull);
    buildStartPages();
    buildLibrary(rng);
    buildGames(rng);
    buildNewArrivalFolders();
    assignLayouts();
    m_authorCount = qMax(10, kPackagesPerScale * m_scale / 6);
    fillPackages(rng);
    fillNewArrivals(rng);
    ensureCoverage();
    chooseStrapLinks(rng);
    sortLists();
    indexLookups();
    if (archiveBytes > 0)
        setArchiveSizes(qMin(archiveBytes, kMaxArchiveBytes));
}

void Site::setArchiveSizes(qint64 bytes)
{
    for (Package& p : m_packages) {
        p.archiveBytes = bytes;
        if (p.sizeKb >= 0)
            p.sizeKb = int((bytes + 1023) / 1024);
    }
}

// ---- building the folder tree ----

void Site::buildStartPages()
{
    const QString paths[3] = {QStringLiteral("download/"), config::AreaPaths[kAreaNewArrivals],
                              config::AreaPaths[kAreaGames]};
    const QString names[3] = {QStringLiteral("タルベックスライブラリ"),
                              QStringLiteral("新着ライブラリ"),
                              QStringLiteral("タルベックスゲームズ")};
    for (int area = 0; area < 3; ++area) {
        Folder f;
        f.index = int(m_folders.size());
        f.area = area;
        f.path = paths[area];
        f.url = config::SiteRoot + f.path;
        f.name = names[area];
        m_start[area] = f.index;
        m_folders.append(f);
    }
}

int Site::addFolder(int area, int parent, const QString& segment, const QString& name)
{
    const Folder& up = m_folders.at(parent);
    Folder f;
    f.index = int(m_folders.size());
    f.area = area;
    f.parent = parent;
    f.path = (up.parent < 0 ? config::AreaPaths[area] : up.path) + segment + u'/';
    f.url = config::SiteRoot + f.path;
    f.name = name;
    f.depth = slashes(f.url) - slashes(config::SiteRoot + config::AreaPaths[area]);
    m_folders.append(f);
    m_folders[parent].children.append(f.index);
    return f.index;
}

void Site::buildLibrary(Rng& rng)
{
    const QList<config::CategoryRecord> rows = config::StandardCategories();
    const QString root = config::SiteRoot + config::AreaPaths[kAreaLibrary];
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (!rows[i].URL.startsWith(root))
            continue;
        const QString segment = rows[i].URL.mid(root.size()).chopped(1);
        const double weight = platformWeight(segment);
        const int platform = addFolder(kAreaLibrary, m_start[kAreaLibrary], segment, rows[i].Name);
        buildLibraryPlatform(rng, platform, weight, weight < 1.0);
    }
    // Category-only folders may carry names with entities; the first one always does.
    const QStringList entityNames = sitetext::EntityFolderNames();
    int named = 0;
    for (Folder& f : m_folders) {
        if (f.area == kAreaLibrary && f.depth == 2 && !f.hasList && !f.children.isEmpty() &&
            (named == 0 || rng.percent(50)))
            f.name = entityNames.at(named++ % entityNames.size());
    }
}

void Site::buildLibraryPlatform(Rng& rng, int platform, double weight, bool small)
{
    const double root = qSqrt(m_scale);
    const int count = small ? qMax(1, int(0.5 * root)) : qMax(1, int(weight * 1.1 * root + 0.5));
    m_folders[platform].hasList = small;
    const QList<sitetext::NamedPath> words = sitetext::CategoryWords();
    const QList<sitetext::NamedPath> subWords = sitetext::SubCategoryWords();
    const int offset = rng.below(int(words.size()));
    for (int k = 0; k < count; ++k) {
        const auto& w = words.at((offset + k) % words.size());
        const int round = k / int(words.size());
        const QString suffix = round ? QString::number(round + 1) : QString();
        const int child = addFolder(kAreaLibrary, platform, QString::fromUtf16(w.segment) + suffix,
                                    QString::fromUtf16(w.name) + suffix);
        const bool parentLike = !small && (k == 1 || rng.percent(25));
        m_folders[child].hasList = !parentLike || rng.percent(40);
        if (!parentLike)
            continue;
        const int subs = rng.between(2, 4);
        const int subOffset = rng.below(int(subWords.size()));
        for (int j = 0; j < subs; ++j) {
            const auto& s = subWords.at((subOffset + j) % subWords.size());
            const int leaf = addFolder(kAreaLibrary, child, QString::fromUtf16(s.segment),
                                       QString::fromUtf16(s.name));
            m_folders[leaf].hasList = true;
        }
    }
}

void Site::buildGames(Rng& rng)
{
    const QList<sitetext::NamedPath> words = sitetext::GenreWords();
    const QList<sitetext::NamedPath> subWords = sitetext::SubGenreWords();
    const int count = qMax(6, int(6 * qSqrt(m_scale) + 0.5));
    for (int k = 0; k < count; ++k) {
        const auto& w = words.at(k % words.size());
        const int round = k / int(words.size());
        const QString suffix = round ? QString::number(round + 1) : QString();
        const int genre =
            addFolder(kAreaGames, m_start[kAreaGames], QString::fromUtf16(w.segment) + suffix,
                      QString::fromUtf16(w.name) + suffix);
        m_folders[genre].hasList = true;
        if (k % 3 != 2 && !rng.percent(10))
            continue;
        for (const auto& s : subWords) {
            const int sub = addFolder(kAreaGames, genre, QString::fromUtf16(s.segment),
                                      QString::fromUtf16(s.name));
            m_folders[sub].hasList = true;
        }
    }
}

void Site::buildNewArrivalFolders()
{
    const Folder& library = m_folders.at(m_start[kAreaLibrary]);
    const QList<int> platforms = library.children;
    for (int p : platforms) {
        const int f = addFolder(kAreaNewArrivals, m_start[kAreaNewArrivals], platformSegment(p),
                                m_folders.at(p).name);
        m_folders[f].layout = ListLayout::FileList;
    }
}

void Site::assignLayouts()
{
    int counter = 0;
    for (Folder& f : m_folders) {
        f.imageLinks = f.index % 3 != 1;
        f.indexHtmlLinks = f.index % 2 == 1;
        if (!f.hasList)
            continue;
        if (f.area == kAreaGames) {
            f.layout = ListLayout::LI;
            continue;
        }
        ++counter;
        if (counter % 5 == 2)
            f.layout = ListLayout::Classic;
        else if (counter % 7 == 4)
            f.layout = ListLayout::LI;
        else
            f.layout = ListLayout::FileList;
        // The classic and LI layouts need the lone line feeds that separate their entries.
        f.crlf = f.layout == ListLayout::FileList && counter % 2 == 1;
    }
}

// ---- packages ----

void Site::fillPackages(Rng& rng)
{
    const int total = kPackagesPerScale * m_scale;
    const int games = total * kGamesPercent / 100;
    const int areaTotals[3] = {total - games, 0, games};
    for (int area : {kAreaLibrary, kAreaGames}) {
        QList<int> lists;
        for (const Folder& f : std::as_const(m_folders)) {
            if (f.area == area && f.hasList)
                lists.append(f.index);
        }
        // One folder per area is large enough for three pages at any scale.
        int big = -1;
        for (int f : std::as_const(lists)) {
            const Folder& folder = m_folders.at(f);
            const bool wanted = area == kAreaGames ? folder.layout == ListLayout::LI
                                                   : folder.layout == ListLayout::FileList &&
                                                         platformSegment(f) == u"win95";
            if (wanted) {
                big = f;
                break;
            }
        }
        QHash<int, int> counts;
        int remaining = areaTotals[area];
        for (int f : std::as_const(lists)) {
            if (m_folders.at(f).layout == ListLayout::Classic)
                counts[f] = rng.between(4, 12);
            else if (f == big)
                counts[f] =
                    2 * (area == kAreaGames ? kLiPageSize : kFileListPageSize) + rng.between(3, 9);
            remaining -= counts.value(f);
        }
        remaining = qMax(0, remaining);
        QHash<int, int> weights;
        qint64 weightSum = 0;
        for (int f : std::as_const(lists)) {
            if (m_folders.at(f).layout != ListLayout::Classic) {
                weights[f] = rng.between(50, 150);
                weightSum += weights[f];
            }
        }
        int given = 0;
        for (int f : std::as_const(lists)) {
            if (weights.contains(f)) {
                const int share = int(qint64(remaining) * weights[f] / qMax<qint64>(1, weightSum));
                counts[f] += share;
                given += share;
            }
        }
        for (int f : std::as_const(lists)) {
            if (given >= remaining)
                break;
            if (weights.contains(f)) {
                ++counts[f];
                ++given;
            }
        }
        for (int f : std::as_const(lists))
            fillFolder(rng, f, counts.value(f));
    }
}

void Site::fillFolder(Rng& rng, int folder, int count)
{
    for (int i = 0; i < count; ++i)
        makePackage(rng, folder);
}

void Site::makePackage(Rng& rng, int folder)
{
    static const int kSharePrices[] = {500, 1000, 1050, 1500, 2000, 2100, 3000, 3150, 5000};
    static const int kProductPrices[] = {4800, 9800, 12000, 19800, 29800};
    const Folder& home = m_folders.at(folder);
    Package p;
    p.index = int(m_packages.size());
    m_nextId += 1 + rng.below(3);
    p.id = m_nextId;
    p.home = folder;
    p.area = home.area;
    p.name = sitetext::PackageName(rng);
    p.version = sitetext::Version(rng);
    p.description = sitetext::ShortDescription(rng);
    const int t = rng.below(100);
    p.typeCode = t < 55 ? 0 : t < 77 ? 1 : t < 81 ? 2 : t < 84 ? 3 : t < 90 ? 4 : t < 96 ? 5 : 99;
    if (p.typeCode == 1)
        p.price = rng.pick(kSharePrices);
    else if (p.typeCode == 3)
        p.price = rng.pick(kProductPrices);
    const int band = rng.below(10);
    p.archiveBytes = band < 4   ? 1024 + rng.below(60000)
                     : band < 8 ? 30000 + rng.below(600000)
                                : 500000 + rng.below(3000000);
    p.sizeKb = rng.percent(6) ? -1 : int((p.archiveBytes + 1023) / 1024);
    p.isNew = rng.percent(8);
    if (p.isNew)
        p.openDate = kNewFrom.addDays(rng.below(31));
    else if (!rng.percent(5))
        p.openDate = kFirstDate.addDays(rng.below(int(kFirstDate.daysTo(kLastOldDate))));
    p.registDate = (p.openDate.isValid() ? p.openDate : kFirstDate.addDays(rng.below(4000)))
                       .addDays(rng.below(20));
    if (rng.percent(10))
        p.pickUpUrl = config::SiteRoot + QStringLiteral("pickup/pu") + sixDigits(p.id) + u".html";
    if (rng.percent(8))
        p.newsUrl = config::SiteRoot + QStringLiteral("softnews/sn") + sixDigits(p.id) + u".html";
    p.author = rng.below(m_authorCount);
    p.popularity = rng.below(1000000);
    const std::pair<PackageTrait, int> chances[] = {
        {TraitGluedDescription, 5}, {TraitNoBytes, 4}, {TraitEscapedNote, 10}, {TraitAuthorTab, 5},
        {TraitCrlfPages, 50},       {TraitIntro, 50},  {TraitNbspText, 30},
    };
    for (const auto& [trait, chance] : chances) {
        if (rng.percent(chance))
            p.traits |= trait;
    }
    if (p.price == 0 && rng.percent(5))
        p.traits |= TraitPriceOutside;
    if (home.layout == ListLayout::Classic && rng.percent(12))
        p.traits |= TraitGluedEntry;
    const QString below = home.path.mid(config::AreaPaths[home.area].size());
    p.url = config::SiteRoot + (home.area == kAreaGames ? u"games/soft/" : u"soft/") + below +
            u"se" + sixDigits(p.id) + u".html";
    const QString platform = platformSegment(folder);
    p.archiveUrl = u"http://" + config::DownloadHost + u"/pub/" +
                   (home.area == kAreaGames ? QStringLiteral("games") : platform) + u"/tv" +
                   sixDigits(p.id) + archiveExtension(rng, platform, home.area);
    m_packages.append(p);
    m_folders[folder].packages.append(p.index);
}

void Site::fillNewArrivals(Rng& rng)
{
    QHash<QString, QList<int>> byPlatform;
    for (const Package& p : std::as_const(m_packages)) {
        if (p.area == kAreaLibrary && p.openDate.isValid())
            byPlatform[platformSegment(p.home)].append(p.index);
    }
    const int wanted = int(10 * qSqrt(m_scale));
    for (Folder& f : m_folders) {
        if (f.area != kAreaNewArrivals || f.parent < 0)
            continue;
        QList<int> recent = byPlatform.value(platformSegment(f.index));
        std::sort(recent.begin(), recent.end(), [this](int a, int b) {
            const Package& x = m_packages.at(a);
            const Package& y = m_packages.at(b);
            return x.openDate != y.openDate ? x.openDate > y.openDate : x.id > y.id;
        });
        recent = recent.mid(0, wanted + rng.below(6));
        f.hasList = !recent.isEmpty();
        f.packages = recent;
    }
}

void Site::chooseStrapLinks(Rng& rng)
{
    QList<QList<int>> byArea(3);
    for (const Folder& f : std::as_const(m_folders)) {
        if (f.parent >= 0)
            byArea[f.area].append(f.index);
    }
    for (Folder& f : m_folders) {
        if (f.index % 2 != 0 || (f.children.isEmpty() && f.parent >= 0))
            continue;
        const QList<int>& pool = byArea.at(f.area);
        for (int attempt = 0; attempt < 20 && f.strapLinks.size() < 2 && !pool.isEmpty();
             ++attempt) {
            const int other = pool.at(rng.below(int(pool.size())));
            const Folder& o = m_folders.at(other);
            // Any folder but the page's own sub-categories, and only addresses longer than
            // the page's, which a category analysis would otherwise take.
            if (other == f.index || o.parent == f.index || o.url.size() <= f.url.size() ||
                f.strapLinks.contains(other))
                continue;
            f.strapLinks.append(other);
        }
    }
}

void Site::sortLists()
{
    m_byDate.resize(m_folders.size());
    m_byName.resize(m_folders.size());
    for (Folder& f : m_folders) {
        auto& list = f.packages;
        std::sort(list.begin(), list.end(), [this](int a, int b) {
            const Package& x = m_packages.at(a);
            const Package& y = m_packages.at(b);
            return x.popularity != y.popularity ? x.popularity > y.popularity : x.id < y.id;
        });
        QList<int> byDate = list;
        std::sort(byDate.begin(), byDate.end(), [this](int a, int b) {
            const Package& x = m_packages.at(a);
            const Package& y = m_packages.at(b);
            if (x.openDate.isValid() != y.openDate.isValid())
                return x.openDate.isValid();
            return x.openDate != y.openDate ? x.openDate > y.openDate : x.id > y.id;
        });
        QList<int> byName = list;
        std::sort(byName.begin(), byName.end(), [this](int a, int b) {
            const Package& x = m_packages.at(a);
            const Package& y = m_packages.at(b);
            const int c = x.name.compare(y.name);
            return c != 0 ? c < 0 : x.id < y.id;
        });
        m_byDate[f.index] = byDate;
        m_byName[f.index] = byName;
    }
}

void Site::indexLookups()
{
    for (const Folder& f : std::as_const(m_folders))
        m_folderByPath.insert(f.path, f.index);
    for (const Package& p : std::as_const(m_packages))
        m_packageById.insert(p.id, p.index);
}

// ---- queries ----

Author Site::author(int index) const
{
    return sitetext::MakeAuthor(index);
}

int Site::pageSize(int folder) const
{
    const Folder& f = m_folders.at(folder);
    switch (f.layout) {
    case ListLayout::Classic:
        return qMax(1, int(f.packages.size()));
    case ListLayout::LI:
        return kLiPageSize;
    case ListLayout::FileList:
        break;
    }
    return kFileListPageSize;
}

int Site::pageCount(int folder) const
{
    const Folder& f = m_folders.at(folder);
    if (!f.hasList || f.packages.isEmpty())
        return 1;
    const int size = pageSize(folder);
    return int((f.packages.size() + size - 1) / size);
}

const QList<int>& Site::orderedPackages(int folder, ListOrder order) const
{
    switch (order) {
    case ListOrder::ByDate:
        return m_byDate.at(folder);
    case ListOrder::ByName:
        return m_byName.at(folder);
    case ListOrder::Index:
        break;
    }
    return m_folders.at(folder).packages;
}

QList<int> Site::pagePackages(int folder, ListOrder order, int page) const
{
    if (!m_folders.at(folder).hasList || page < 1)
        return {};
    const int size = pageSize(folder);
    return orderedPackages(folder, order).mid(qsizetype(page - 1) * size, size);
}

QList<ListRow> Site::listRows(int folder, ListOrder order, int page) const
{
    QList<ListRow> rows;
    int ranking = 0;
    for (int p : pagePackages(folder, order, page))
        rows.append(listRow(folder, p, ++ranking));
    return rows;
}

ListRow Site::listRow(int folder, int package, int ranking) const
{
    const ListLayout layout = m_folders.at(folder).layout;
    const Package& p = m_packages.at(package);
    ListRow r;
    r.package = package;
    r.targetUrl = p.url;
    r.softName = p.name;
    r.version = p.version;
    // Every layout prints a known size where the list reading looks for it, dated or not.
    r.fileSize = p.sizeKb;
    r.fileType = p.typeCode;
    r.newFlag = p.isNew ? 1 : 0;
    // The classic layout has a button for each article; the others one review link, and
    // a pick-up article wins over a news article there.
    r.pickUpUrl = p.pickUpUrl;
    r.newsUrl = layout == ListLayout::Classic || p.pickUpUrl.isEmpty() ? p.newsUrl : QString();
    r.openDate = p.openDate;
    r.description = p.description;
    r.regiMoney = layout == ListLayout::FileList ? 0 : p.price;
    r.ranking = ranking;
    return r;
}

Detail Site::detail(int package) const
{
    const Package& p = m_packages.at(package);
    Rng rng(m_seed ^ (quint64(p.id) * 0x9E3779B97F4A7C15ull));
    Detail d;
    d.ftpUrl = p.archiveUrl;
    const Folder& home = m_folders.at(p.home);
    int platform = p.home;
    while (m_folders.at(platform).depth > 1)
        platform = m_folders.at(platform).parent;
    const QString top =
        p.area == kAreaGames ? QStringLiteral("ゲーム") : m_folders.at(platform).name;
    d.category = platform == p.home && p.area != kAreaGames ? top : top + u" ＞ " + home.name;
    d.descriptionLines = sitetext::LongDescription(rng, p.name, p.traits);
    d.descriptionDetail = d.descriptionLines.join(QStringLiteral("\r\n"));
    d.paymentLines = sitetext::PaymentLines(p.typeCode);
    d.paymentInfo = d.paymentLines.join(QStringLiteral("\r\n"));
    d.osType = sitetext::OsType(platformSegment(p.home), p.area);
    d.regiMoney = p.price > 0 ? p.price : p.has(TraitPriceOutside) ? 0 : -1;
    const Author a = author(p.author);
    d.author = a.name;
    d.authorUrl = a.pageUrl;
    if (!p.has(TraitNoBytes)) {
        d.fileSize2 = p.archiveBytes;
        d.registDate = p.registDate;
    }
    if (p.price > 0)
        d.paymentUrl = QStringLiteral("https://") + config::PaymentHost +
                       QStringLiteral("/swreg/step1.reserve?srno=") + sixDigits(p.id) +
                       QStringLiteral("&SITE=T");
    return d;
}

QString Site::listPageName(ListOrder order, int page)
{
    static const QString names[] = {QStringLiteral("index"), QStringLiteral("by_date"),
                                    QStringLiteral("by_name")};
    QString name = names[int(order)];
    if (page > 1)
        name += QStringLiteral("_%1").arg(page, 3, 10, QChar(u'0'));
    return name + QStringLiteral(".html");
}

QString Site::listPageUrl(int folder, ListOrder order, int page) const
{
    return m_folders.at(folder).url + listPageName(order, page);
}

QString Site::downloadPageUrl(const QString& detailUrl)
{
    QString url = detailUrl;
    const QString games = QStringLiteral("/games/soft/");
    const qsizetype g = url.indexOf(games);
    if (g >= 0)
        return url.insert(g + games.size(), QStringLiteral("dl/"));
    const QString soft = config::SiteRoot + QStringLiteral("soft/");
    if (url.startsWith(soft))
        url.insert(soft.size(), QStringLiteral("dl/"));
    return url;
}

QString Site::platformSegment(int folder) const
{
    const Folder& f = m_folders.at(folder);
    const int index = f.area == kAreaGames ? 4 : 2;
    return f.path.section(u'/', index, index);
}

qsizetype Site::listEntryCount() const
{
    qsizetype n = 0;
    for (const Folder& f : m_folders)
        n += f.hasList ? f.packages.size() : 0;
    return n;
}

} // namespace talvexsim
