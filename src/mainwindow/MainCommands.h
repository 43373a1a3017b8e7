#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringView>

class QAction;
class QActionGroup;
class QMainWindow;
class QMenu;
class QToolBar;

namespace mainwindow {

struct MenuDef; // a menu of the menu bar or a context menu, with its items

// The main window's command surface: the menu bar, the toolbar and the two context menus, built
// from the tables in MainCommands.cpp. Menu items are named after their control array and index
// ("mnu_file_sub_1", "mnu_ope_suba_3"), toolbar buttons after their key ("toolbar_Refresh").
// A command counts as available once the window wires something that carries it out; an
// unavailable command stays disabled whatever the enabling rules say.
class MainCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainCommands)

public:
    // Builds every action, the menu bar of window and the toolbar `toolbarmain`.
    explicit MainCommands(QMainWindow* window);

    // A menu item by control array and index; nullptr when there is none.
    QAction* item(QStringView array, int index) const;
    // A toolbar button by key.
    QAction* button(QStringView key) const;
    QMenu* menu(QStringView name) const; // "mnu_refresh", "mnu_rclick", "mnu_frclick", …
    QToolBar* toolbar() const { return m_toolbar; }
    QActionGroup* modeButtons() const { return m_modeButtons; }

    // Marks the command as carried out (or not); the action's state follows.
    void setAvailable(QAction* action, bool available);
    bool isAvailable(const QAction* action) const;
    // Enabled = on, unless the command is not available.
    void setEnabled(QAction* action, bool on);
    void setEnabled(QStringView array, int index, bool on);

signals:
    // A menu item of a control array was chosen.
    void menuChosen(const QString& array, int index);
    // A toolbar button was clicked.
    void buttonClicked(const QString& key);

private:
    QAction* addItem(QMenu* menu, const QString& array, int index, QStringView caption,
                     QStringView shortcut);
    void addSubmenu(QMenu* parent, QAction* owner, const QString& array, int kinds);
    void fillMenu(QMenu* menu, const MenuDef& def);
    void buildMenuBar(QMainWindow* window);
    void buildContextMenus(QMainWindow* window);
    void buildToolbar(QMainWindow* window);

    QHash<QString, QAction*> m_items;
    QHash<QString, QAction*> m_buttons;
    QHash<QString, QMenu*> m_menus;
    QToolBar* m_toolbar = nullptr;
    QActionGroup* m_modeButtons = nullptr;
};

// "mnu_file_sub_1" for array "mnu_file_sub" and index 1.
QString ItemName(QStringView array, int index);

} // namespace mainwindow
