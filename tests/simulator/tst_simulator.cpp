#include "tst_simulator.h"

#include "SiteFixture.h"
#include "config/Settings.h"
#include "config/SoftTypes.h"
#include "util/Text.h"

#include <QHash>
#include <QTest>

using namespace talvexsim;

std::shared_ptr<const Site> SharedSite(quint64 seed, int scale)
{
    static QHash<QPair<quint64, int>, std::shared_ptr<const Site>> sites;
    auto& site = sites[{seed, scale}];
    if (!site)
        site = std::make_shared<const Site>(seed, scale);
    return site;
}

const QList<RenderedPage>& RenderedPages(quint64 seed)
{
    static QHash<quint64, QList<RenderedPage>> cache;
    auto it = cache.find(seed);
    if (it != cache.end())
        return *it;
    QList<RenderedPage> pages;
    const SitePages site(SharedSite(seed));
    site.forEachPage([&](const QString& host, const QString& path) {
        const QByteArray bytes = site.get(host, path).body;
        pages.append({path, bytes, text::DecodeCp932(bytes)});
    });
    return *cache.insert(seed, pages);
}

QList<quint64> TestSeeds()
{
    return {1, 7, 20240601};
}

void TestSimulator::initTestCase()
{
    m_folder = std::make_unique<TestFolder>();
    QVERIFY(config::WriteDefaultSettings());
    QVERIFY(config::LoadSoftTypes());
    QVERIFY(!config::SoftTypes().isEmpty());
    // The pages of every seed are rendered once; the tests below read them.
    for (quint64 seed : TestSeeds())
        QVERIFY(!RenderedPages(seed).isEmpty());
}

QTEST_GUILESS_MAIN(TestSimulator)
