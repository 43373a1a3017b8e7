#pragma once

#include "talvex-sim/Site.h"
#include "talvex-sim/SitePages.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>

// Generated sites and their rendered pages, made once per seed for the whole test run.
struct RenderedPage
{
    QString path;
    QByteArray bytes;
    QString text;
};

std::shared_ptr<const talvexsim::Site> SharedSite(quint64 seed, int scale = 1);
// Every page of the web host of the scale-1 site of the seed.
const QList<RenderedPage>& RenderedPages(quint64 seed);
// The seeds the page tests run with.
QList<quint64> TestSeeds();
