#pragma once

#include "settings/SettingPage.h"

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace options {

// The tab "キャッシュ設定": the connection mode (opt_connect 0 to 3) with the age limit of the
// cache-date mode (inp 0), the order and number of list pages read (getmethod_combo, inp 10),
// and the cache folder with its change (Ref 3) and its emptying (cmd_frame 0, at once).
class SettingCachePage final : public SettingPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingCachePage)

public:
    explicit SettingCachePage(QWidget* parent = nullptr);

    void load() override;
    void validate() override;
    UnstorableField unstorableField() const override;
    void store(StoreStep step) override;

    // The folder the label shows.
    QString cacheFolder() const { return m_folder; }

private:
    void updateEnabled();
    int modeChoice() const; // 0 to 3; -1 when none is chosen
    void showFolder(const QString& folder);
    void Ref_Click();
    void cmd_frame_Click();

    std::array<QRadioButton*, 4> m_mode{};
    QLabel* m_daysBefore;
    QLineEdit* m_days;
    QLabel* m_daysAfter;
    QComboBox* m_method;
    QLineEdit* m_pages;
    QLabel* m_folderLabel;
    QPushButton* m_change;
    QPushButton* m_delete;
    QString m_folder;       // the folder shown
    QString m_storedFolder; // the stored text of the folder as it was loaded
    QString m_loadedFolder; // the folder shown when loaded
};

} // namespace options
