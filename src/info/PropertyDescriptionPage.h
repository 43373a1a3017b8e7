#pragma once

#include "info/PropertyPage.h"

namespace catalogue {
struct EntryRow;
}

namespace info {

// The tab "説明": the name and the long description of the entry's page.
class PropertyDescriptionPage final : public PropertyPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PropertyDescriptionPage)

public:
    explicit PropertyDescriptionPage(QWidget* parent = nullptr);

    void fill(const catalogue::EntryRow& row);
};

} // namespace info
