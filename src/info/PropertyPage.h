#pragma once

#include <QHash>
#include <QString>
#include <QWidget>
#include <functional>

class QGridLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace info {

// One tab of a property window: labels, numbered boxes (txt_info n) and link buttons
// (cmd_proc n) on a grid. A link button hands the address of its box to the window, and is
// enabled exactly when its box holds text. Read-only boxes show their text selectable. The
// software property sheet has a page class per tab; the folder and selection windows build
// their single tab from a plain page.
class PropertyPage : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PropertyPage)

public:
    explicit PropertyPage(QWidget* parent = nullptr);

    // The box txt_info n of this page, or nullptr.
    QWidget* box(int n) const { return m_boxes.value(n); }
    // Its text; "" when the page has no such box.
    QString boxText(int n) const;
    // The link button cmd_proc n of this page, or nullptr.
    QPushButton* linkButton(int n) const { return m_links.value(n); }

    // Builders of the page, top to bottom.
    // The page's grid: labels in column 0, boxes in column 1, link buttons in column 2.
    QGridLayout* grid() const { return m_grid; }
    int nextRow() const;

    // A read-only one-line box, framed or drawn flat on the page.
    QLineEdit* makeLine(int n, bool framed = false);
    // A read-only box of several lines; one that grows takes the height the window gains.
    QPlainTextEdit* makeText(int n, int visibleLines, bool grows = false);
    // A link button for box n.
    QPushButton* makeLink(int button, const QString& caption, int box);
    // Registers a box the page made itself (the notebook's editable boxes).
    void addBox(int n, QWidget* box);

    // Label, box and (optional) link button on a new row of the grid.
    void addRow(const QString& label, QWidget* box, QPushButton* link = nullptr);
    // A box of several lines: its label above it when labelAbove, else top-aligned beside it.
    void addTextRow(const QString& label, QPlainTextEdit* box, bool labelAbove = false);
    // A thin line across the page, as between groups of a property sheet.
    void addSeparator();
    // Pushes the rows to the top of the page.
    void addStretch();

    // Sets a box's text (line breaks as the catalogue stores them) and enables its link button.
    void setBoxText(int n, const QString& text);
    // Enables the link buttons of box n by its text.
    void updateLinks(int n);

    // Widens a one-line box to show all its text, up to maxWidth pixels (small windows that
    // take the size of their contents).
    void fitToText(int n, int maxWidth);

    static QLabel* fieldLabel(const QString& text, QWidget* parent);

signals:
    // Link button n was clicked; address is its box's text.
    void linkActivated(int button, const QString& address);

private:
    QGridLayout* m_grid;
    QHash<int, QWidget*> m_boxes;
    QHash<int, QPushButton*> m_links;
    QHash<int, int> m_linkBox; // link button -> box
};

// Runs work once, as soon as the window has been drawn for the first time (or, should it never
// be drawn, shortly after it is shown), so a long read starts behind a window the user sees
// and its repaints reach the screen.
void RunOnceDrawn(QWidget* window, std::function<void()> work);

} // namespace info
