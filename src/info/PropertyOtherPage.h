#pragma once

#include "info/PropertyPage.h"

namespace catalogue {
struct EntryRow;
}

namespace info {

// The tab "その他の情報": the site's pick-up article (link button 4) and news article (link
// button 5) on the entry.
class PropertyOtherPage final : public PropertyPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PropertyOtherPage)

public:
    explicit PropertyOtherPage(QWidget* parent = nullptr);

    void fill(const catalogue::EntryRow& row);
};

} // namespace info
