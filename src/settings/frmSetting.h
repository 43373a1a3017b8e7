#pragma once

#include <QDialog>
#include <array>

class QPushButton;
class QTabWidget;

namespace options {

class SettingCachePage;
class SettingCategoryPage;
class SettingDisplayPage;
class SettingDownloadPage;
class SettingFontPage;
class SettingNetworkPage;
class SettingOtherPage;
class SettingPage;
class SettingSystemPage;

// The settings dialog "Pelimond オプション": eight tabs that edit the settings, the category
// table and the colours of the software types. OK (cmd_set 0) corrects the number fields,
// refuses a text the settings files cannot hold, stores every tab in the fixed order of its
// writes, rewrites "CATEGORY.INI" and closes; キャンセル (cmd_set 1) closes without storing.
// Emptying the cache and resetting the list's column widths act at once, whichever closes the
// dialog. The caller applies fonts, icons, colours and the connection mode after an OK.
class frmSetting final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmSetting)

public:
    // Tabs, left to right.
    enum Tab {
        NetworkTab,
        CacheTab,
        CategoryTab,
        DisplayTab,
        SystemTab,
        OtherTab,
        FontTab,
        DownloadTab,
        TabCount
    };

    // Loads every tab from the settings and shows the tab given.
    explicit frmSetting(Tab tab = NetworkTab, QWidget* parent = nullptr);
    ~frmSetting() override;

    // True once OK has stored the settings.
    bool okPressed() const { return m_stored; }

    QTabWidget* tabStrip() const { return m_tabs; }
    // cmd_set 0 (OK) and 1 (キャンセル).
    QPushButton* button(int index) const { return m_buttons.at(std::size_t(index)); }

signals:
    // "幅をデフォルトに戻す" wrote the default column widths: the list should take them now.
    void listWidthsReset();

private:
    void cmd_set_Click(int index);
    // Shows the tab of a field whose text cannot be stored and tells why; false then.
    bool refuseUnstorable();

    QTabWidget* m_tabs;
    SettingNetworkPage* m_network;
    SettingCachePage* m_cache;
    SettingCategoryPage* m_categories;
    SettingDisplayPage* m_display;
    SettingSystemPage* m_system;
    SettingOtherPage* m_other;
    SettingFontPage* m_fonts;
    SettingDownloadPage* m_download;
    std::array<SettingPage*, TabCount> m_pages{};
    std::array<QPushButton*, 2> m_buttons{};
    bool m_stored = false;
};

} // namespace options
