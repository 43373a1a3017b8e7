#pragma once

#include "info/PropertySummaryWindow.h"

class QLabel;
class QLineEdit;

namespace info {

// The properties of a folder tree node: its name, kind and address, how many entries and
// sub-folders it holds (every level below counted) and when it was last read. Small, modeless
// and read-only; Enter and Escape both act as OK. The counts are read once the window is on
// screen.
class frmPropertyf final : public PropertySummaryWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmPropertyf)

public:
    frmPropertyf(const QString& nodeKey, const QString& nodeText, util::UrlOpener openUrl,
                 QWidget* parent = nullptr);
    ~frmPropertyf() override;

    // True once the counts have been read (or the read has failed).
    bool readDone() const { return m_readDone; }

    // txt_info 0 title, 1 kind, 2 place, 3 update date.
    QLineEdit* box(int n) const;
    // lbl_info 0: the contents line.
    QLabel* contents() const { return m_contents; }

private:
    void Read();

    QString m_key;
    QLineEdit* m_title;
    QLineEdit* m_kind;
    QLineEdit* m_place;
    QLineEdit* m_date;
    QLabel* m_contents;
    bool m_readDone = false;
};

} // namespace info
