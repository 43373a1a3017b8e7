#pragma once

#include "settings/SettingPage.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace options {

// The tab "システム": the most search hits (inp 3), another browser (chk_opt 1, inp 8, Ref 4),
// the double-click action (cmb_dbl), what happens at the end (chk_opt 0 and 5) and the reset of
// the list's column widths (cmd_frame 1, at once).
class SettingSystemPage final : public SettingPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingSystemPage)

public:
    explicit SettingSystemPage(QWidget* parent = nullptr);

    void load() override;
    void validate() override;
    UnstorableField unstorableField() const override;
    void store(StoreStep step) override;

signals:
    // The list's column widths were set back to the defaults and written.
    void listWidthsReset();

private:
    void updateEnabled();
    void Ref_Click();
    void cmd_frame_Click();

    QLineEdit* m_searchMax;
    QCheckBox* m_useBrowser;
    QLineEdit* m_browser;
    QPushButton* m_browse;
    QComboBox* m_doubleClick;
    QCheckBox* m_compact;
    QCheckBox* m_recordWidths;
    QPushButton* m_resetWidths;
};

} // namespace options
