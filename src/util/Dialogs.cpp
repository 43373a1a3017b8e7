#include "util/Dialogs.h"

#include <QFileDialog>
#include <QPalette>
#include <QStringList>
#include <QWidget>

namespace util {

namespace {

// "Text files|*.txt|All|*.*" (the stored form) becomes "Text files (*.txt);;All (*.*)".
QString toQtFilter(const QString& filter)
{
    if (!filter.contains(u'|'))
        return filter;
    const QStringList parts = filter.split(u'|', Qt::SkipEmptyParts);
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        out.append(parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(u';', u' ') +
                   u')');
    return out.join(QStringLiteral(";;"));
}

} // namespace

bool SetFieldEnabled(QWidget* field, bool enabled)
{
    if (!field)
        return true;
    field->setEnabled(enabled);
    QPalette pal = field->palette();
    const QPalette app;
    pal.setColor(QPalette::Base, enabled ? app.color(QPalette::Base) : app.color(QPalette::Button));
    field->setPalette(pal);
    return true;
}

QString ChooseOpenFile(QWidget* owner, const QString& filter, const QString& initialFile)
{
    return QFileDialog::getOpenFileName(owner, QString(), initialFile, toQtFilter(filter));
}

QString ChooseSaveFile(QWidget* owner, const QString& filter, const QString& initialFile)
{
    return QFileDialog::getSaveFileName(owner, QString(), initialFile, toQtFilter(filter));
}

QString BrowseFolder(QWidget* owner)
{
    return QFileDialog::getExistingDirectory(owner, QStringLiteral("フォルダを選択してください"));
}

} // namespace util
