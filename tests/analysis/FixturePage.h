#pragma once

#include "util/Text.h"

#include <QString>

// A stored site page from the fixtures folder.
inline QString page(const QString& name)
{
    QString text;
    if (!text::ReadTextFile(QStringLiteral(PELIMOND_FIXTURES "/pages/") + name, &text))
        qWarning("missing fixture page %s", qPrintable(name));
    return text;
}
