#pragma once

#include "info/PropertyPage.h"

namespace catalogue {
struct EntryRow;
}

namespace info {

// The tab "全般": name, version, description, category, type, size, dates, the entry's page
// and its archive, with the page's link button (0) and the download button (1).
class PropertyGeneralPage final : public PropertyPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PropertyGeneralPage)

public:
    explicit PropertyGeneralPage(QWidget* parent = nullptr);

    void fill(const catalogue::EntryRow& row);
};

} // namespace info
