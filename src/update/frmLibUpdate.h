#pragma once

#include "update/UpdateRun.h"

#include <QDialog>
#include <QString>
#include <array>

class QLabel;
class QPushButton;
class QWidget;

namespace resources {
class AnimationWidget;
}

// The update window: shown modally while the catalogue is brought up to date from the update
// target URL downwards. It starts the run once it is on screen and closes itself when the run
// ends. Cancel (the button, Esc or the close box) asks the run to stop after its current step;
// the window stays until the run has stopped.
class frmLibUpdate final : public QDialog, private update::RunObserver
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmLibUpdate)

public:
    // forward, when given, hears everything the run reports (the main window's status bar).
    explicit frmLibUpdate(const QString& targetUrl, update::RunObserver* forward = nullptr,
                          QWidget* parent = nullptr);
    ~frmLibUpdate() override;

    // The run's result, known once the window has closed; false when no run was made.
    bool succeeded() const { return m_succeeded; }
    // lbl_get(index), index 0 to 2.
    QLabel* label(int index) const { return lbl_get.at(index); }

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Activate();
    void cmd_cancel_Click();
    void setLabel(int index, const QString& text);

    // What the run reports.
    void folderStarted(const QString& folderUrl) override;
    void statusText(const QString& text) override;
    void progressText(const QString& text) override;
    void foundFolder(int total) override;
    void percentAnalysed(int percent) override;

    QString m_targetUrl;
    update::RunObserver* m_forward;
    resources::AnimationWidget* picanimate;
    std::array<QLabel*, 3> lbl_get{};
    QPushButton* cmd_cancel;
    bool m_started = false;
    bool m_running = false;
    bool m_cancelled = false;
    bool m_succeeded = false;
};

// Sets the update target URL and shows the update window modally over parent; returns the
// run's result. The current site area must be set before.
bool ShowUpdateWindow(QWidget* parent, const QString& targetUrl,
                      update::RunObserver* forward = nullptr);
