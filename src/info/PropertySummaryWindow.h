#pragma once

#include "util/Shell.h"

#include <QDialog>

class QIcon;
class QLineEdit;
class QPushButton;

namespace info {

class PropertyPage;

// Whether a tree node key is a folder's address (and so can be opened in the browser): not
// empty, not "Favorites", not "Search".
bool IsFolderAddress(const QString& key);

// The frame the folder and the multi-selection property windows share: small, modeless and
// read-only, one tab "全般" with an icon and a title at its top, "ブラウザで開く(&B)" for the
// place box when it holds a folder address, and "OK(&O)". Enter and Escape both act as OK.
class PropertySummaryWindow : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PropertySummaryWindow)

public:
    ~PropertySummaryWindow() override;

    QPushButton* browserButton() const { return m_browser; }
    QPushButton* okButton() const { return m_ok; }

protected:
    PropertySummaryWindow(const QString& name, util::UrlOpener openUrl, QWidget* parent);

    PropertyPage* page() const { return m_page; }
    // The first row of the tab: the icon, then the title widget.
    void setHeader(const QIcon& icon, QWidget* title);
    // The place box shows address; the browser button opens it when it is a folder's.
    void setPlace(QLineEdit* place, const QString& address);

    void keyPressEvent(QKeyEvent* event) override;

private:
    void cmd_browser_Click();

    util::UrlOpener m_openUrl;
    PropertyPage* m_page;
    QLineEdit* m_place = nullptr;
    QPushButton* m_browser;
    QPushButton* m_ok;
};

} // namespace info
