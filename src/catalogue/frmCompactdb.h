#pragma once

#include "catalogue/Compact.h"

#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;

// The modal window shown while the catalogue is compacted. It starts the work when first shown,
// keeps repainting while the work runs, cannot be cancelled and closes itself when done.
class frmCompactdb final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmCompactdb)

public:
    explicit frmCompactdb(const QString& catalogue, QWidget* parent = nullptr);
    ~frmCompactdb() override;

    // Whether the compaction replaced the catalogue (known once the window has closed).
    bool compacted() const { return m_result == catalogue::CompactResult::Compacted; }
    catalogue::CompactResult result() const { return m_result; }

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void runCompaction();

    QString m_catalogue;
    QLabel* Label1;
    QProgressBar* picanimate;
    bool m_started = false;
    bool m_working = false;
    catalogue::CompactResult m_result = catalogue::CompactResult::Failed;
};
