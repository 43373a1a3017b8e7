#pragma once

#include <QList>
#include <QString>

namespace search {

// One place a search can look in: the entries whose BaseURL starts with key.
struct SearchPlace
{
    QString key;   // an area's folder root or a folder's TargetURL
    QString text;  // what the place list shows
    QString image; // the folder tree's image key
};

// The places the search window offers first: the library area, the new-arrivals area, then
// the first-level categories in catalogue order, those of the new arrivals and of the games
// named as such. Only the two areas when the catalogue cannot be read.
QList<SearchPlace> SearchPlaces();

} // namespace search
