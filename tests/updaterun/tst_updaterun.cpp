#include "tst_updaterun.h"

#include "catalogue/Schema.h"
#include "config/Settings.h"
#include "site/Fetcher.h"
#include "talvex-sim/FaultTable.h"
#include "talvex-sim/RequestLog.h"
#include "talvex-sim/SimServerThread.h"
#include "talvex-sim/Site.h"
#include "update/RunState.h"
#include "update/SoftDetail.h"

#include <QTest>

using namespace Qt::StringLiterals;

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

void TstUpdateRun::initTestCase()
{
    g_site = std::make_shared<const talvexsim::Site>(20240517, 1);
    g_server = std::make_unique<talvexsim::SimServerThread>(g_site);
    QVERIFY(g_server->start());
}

void TstUpdateRun::cleanupTestCase()
{
    g_server.reset();
    g_site.reset();
}

void TstUpdateRun::useProxyPort(quint16 port)
{
    config::Settings& s = config::settings();
    s.Proxy = 2;
    s.ProxyName = u"127.0.0.1"_s;
    s.ProxyPort = port;
}

void TstUpdateRun::init()
{
    m_folder = std::make_unique<TestFolder>();
    m_messages = std::make_unique<msg::ScriptedSink>();
    config::Settings& s = config::settings();
    s.dbname = m_folder->file(u"Pelimond.mdb"_s);
    QVERIFY(catalogue::CreateEmptyCatalogue(s.dbname));
    s.CacheFolder = m_folder->file(u"CACHE"_s);
    s.Update = 3;
    s.TimeOut = 5;
    s.UserAgent = u"Pelimond version 1.0.0"_s;
    useProxyPort(simServer().port());
    site::SetRetryPauseForTests(0);
    update::SetDetailRetryWaitForTests(0);
    update::runState() = update::RunState();
    simServer().requests().clear();
    simServer().faults().clear();
}

void TstUpdateRun::cleanup()
{
    site::SetRetryPauseForTests(-1);
    update::SetDetailRetryWaitForTests(-1);
    update::runState() = update::RunState();
    m_messages.reset();
    m_folder.reset();
}

QTEST_MAIN(TstUpdateRun)
