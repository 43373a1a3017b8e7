#pragma once

#include "mainwindow/EntryKey.h"
#include "util/Shell.h"

#include <QDialog>
#include <array>
#include <functional>

class QPushButton;
class QTabWidget;

namespace catalogue {
struct EntryRow;
}

namespace info {

class PropertyAuthorPage;
class PropertyDescriptionPage;
class PropertyGeneralPage;
class PropertyNotebookPage;
class PropertyOtherPage;
class PropertyPage;

// The property sheet of one software entry: five tabs filled from the entry's catalogue row,
// its links, its download, adding it to the favourites, a new read of its detail page and the
// user's notebook of the entry. Modeless; several may be open at once. The first time it is on
// screen it has the entry's details read (from the page cache or the site) and fills itself.
//
// OK saves the notebook and closes; キャンセル closes without saving, as does the close box.
// Enter acts as OK and Escape as キャンセル, except on the 追加情報 tab, where both go to the
// box being typed in.
class frmProperty final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmProperty)

public:
    // Bottom buttons (cmb_btn).
    enum Button { OkButton = 0, ReloadButton = 1, FavoritesButton = 2, CancelButton = 3 };
    // Tabs, left to right.
    enum Tab { GeneralTab, DescriptionTab, AuthorTab, OtherTab, NotebookTab };

    // favoritesViewShown tells, after each read, whether the main window shows the favourites
    // (the favourites button is disabled then). openUrl opens the links.
    frmProperty(const mainwindow::EntryKey& entry, std::function<bool()> favoritesViewShown,
                util::UrlOpener openUrl, QWidget* parent = nullptr);
    ~frmProperty() override;

    // The program's own download of the entry; used by the download button when the setting
    // UsePLMDMPropertyWindow is 1. Without it the button opens the archive's address.
    void setDownloadStarter(std::function<void(const mainwindow::EntryKey&)> start);

    const mainwindow::EntryKey& entry() const { return m_entry; }
    // True once the first read has run.
    bool readDone() const { return m_readDone; }

    QTabWidget* tabStrip() const { return m_tabs; }
    QPushButton* button(int index) const { return m_buttons.at(std::size_t(index)); }
    // Box txt_info n (0 to 24) and link button cmd_proc n (0 to 10); nullptr for others.
    QWidget* box(int n) const;
    QString boxText(int n) const;
    QPushButton* linkButton(int n) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Read();
    void Fill(const catalogue::EntryRow& row);
    void LoadAddInfo();
    bool SaveAddInfo();
    void setButtonsEnabled(bool enabled);

    void cmb_ok_Click();
    void cmb_reload_Click();
    void cmb_favorites_Click();
    void cmb_cancel_Click();
    void cmd_proc_Click(int button, const QString& address);

    QList<PropertyPage*> pages() const;

    mainwindow::EntryKey m_entry;
    std::function<bool()> m_favoritesViewShown;
    util::UrlOpener m_openUrl;
    std::function<void(const mainwindow::EntryKey&)> m_startDownload;

    QTabWidget* m_tabs;
    PropertyGeneralPage* m_general;
    PropertyDescriptionPage* m_description;
    PropertyAuthorPage* m_author;
    PropertyOtherPage* m_other;
    PropertyNotebookPage* m_notebook;
    std::array<QPushButton*, 4> m_buttons{};

    bool m_reload = false;   // while 再読込 is being served
    bool m_readDone = false; // the first read has run
};

} // namespace info
