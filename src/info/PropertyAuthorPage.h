#pragma once

#include "info/PropertyPage.h"

class QLabel;

namespace catalogue {
struct EntryRow;
}

namespace info {

// The tab "作者・レジ情報": the author and his page (link button 2), the registration fee, the
// payment page (link button 3), the terms of use and the fixed note on paying.
class PropertyAuthorPage final : public PropertyPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PropertyAuthorPage)

public:
    explicit PropertyAuthorPage(QWidget* parent = nullptr);

    void fill(const catalogue::EntryRow& row);
    QLabel* note() const { return m_note; }

private:
    QLabel* m_note;
};

} // namespace info
