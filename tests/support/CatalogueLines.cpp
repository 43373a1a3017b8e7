#include "support/CatalogueLines.h"

#include "catalogue/Catalogue.h"
#include "catalogue/Statement.h"

using namespace Qt::StringLiterals;

QStringList catalogueLines(const QString& path)
{
    catalogue::Db db;
    if (!catalogue::OpenDb(db, path))
        return {u"(no catalogue)"_s};
    QStringList lines;
    catalogue::Statement* folders = db.select(
        u"SELECT TargetURL, Description, URLClass, UpdateFlg FROM T_Folders ORDER BY TargetURL"_s);
    while (folders && folders->next())
        lines.append(u"F "_s + folders->value(0).toString() + u'|' + folders->value(1).toString() +
                     u'|' + folders->value(2).toString() + u'|' + folders->value(3).toString());
    catalogue::Statement* entries = db.select(
        u"SELECT BaseURL, TargetURL, SoftName, Version, FileSize, FileType, NewFlag, PickUpURL, "
        "NewsURL, Description, RegiMoney, OpenDate, Ranking FROM T_Softwares "
        "ORDER BY BaseURL, TargetURL"_s);
    while (entries && entries->next()) {
        QStringList fields;
        for (int i = 0; i < 13; ++i)
            fields.append(entries->value(i).toString());
        lines.append(u"E "_s + fields.join(u'|'));
    }
    return lines;
}
