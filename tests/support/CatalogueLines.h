#pragma once

#include <QString>
#include <QStringList>

// Every folder and entry of the catalogue file in key order, as comparable lines; the update
// moment differs from run to run and is left out.
QStringList catalogueLines(const QString& path);
