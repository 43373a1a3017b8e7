#pragma once

#include "info/PropertySummaryWindow.h"
#include "mainwindow/EntryKey.h"

#include <QList>

class QLabel;
class QLineEdit;

namespace info {

struct SelectionTotals;

// The properties of several selected entries: how many were found, the folder they were
// selected in, and the sums of their sizes and registration fees. Small, modeless and
// read-only; Enter and Escape both act as OK. The sums are read once the window is on screen
// and grow before the user's eyes, repainted at most every 50 ms.
class frmProperties final : public PropertySummaryWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmProperties)

public:
    frmProperties(const QList<mainwindow::EntryKey>& entries, const QString& folderKey,
                  util::UrlOpener openUrl, QWidget* parent = nullptr);
    ~frmProperties() override;

    // True once the sums have been read (or the read has failed).
    bool readDone() const { return m_readDone; }

    // lbl_info 0: the count line.
    QLabel* countLabel() const { return m_count; }
    // txt_info 0 kind, 1 place, 2 size, 3 fee.
    QLineEdit* box(int n) const;

private:
    void Read();
    void ShowTotals(const SelectionTotals& totals);

    QList<mainwindow::EntryKey> m_entries;
    QLabel* m_count;
    QLineEdit* m_kind;
    QLineEdit* m_place;
    QLineEdit* m_size;
    QLineEdit* m_money;
    bool m_readDone = false;
};

} // namespace info
