#pragma once

#include <QWidget>
#include <array>

class QLabel;

namespace mainwindow {

// The three panels of the status bar `StatusBar1`, laid out at the widths the window gives
// them: 1 the category path, 2 the selection and row counts ("Progress"), 3 the entry mark.
class StatusPanels final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusPanels)

public:
    explicit StatusPanels(QWidget* parent = nullptr);

    // Panel 1 to 3.
    QString text(int panel) const;
    void setText(int panel, const QString& text);
    int panelWidth(int panel) const;
    void setWidths(int path, int progress, int mark);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* label(int panel) const;
    void place();

    std::array<QLabel*, 3> m_labels{};
    std::array<int, 3> m_widths{1, 0, 0};
};

} // namespace mainwindow
