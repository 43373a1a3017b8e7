#include "tst_info.h"

#include "InfoFixture.h"
#include "talvex-sim/SimServerThread.h"
#include "talvex-sim/Site.h"

#include <QTest>
#include <memory>

namespace {

std::shared_ptr<const talvexsim::Site> g_site;
std::unique_ptr<talvexsim::SimServerThread> g_server;

} // namespace

const talvexsim::Site& simSite()
{
    return *g_site;
}

talvexsim::SimServerThread& simServer()
{
    return *g_server;
}

void TstInfo::initTestCase()
{
    g_site = std::make_shared<const talvexsim::Site>(20240517, 1);
    g_server = std::make_unique<talvexsim::SimServerThread>(g_site);
    QVERIFY(g_server->start());
}

void TstInfo::cleanupTestCase()
{
    g_server.reset();
    g_site.reset();
}

QTEST_MAIN(TstInfo)
