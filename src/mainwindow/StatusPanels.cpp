#include "mainwindow/StatusPanels.h"

#include <QLabel>
#include <QResizeEvent>

namespace mainwindow {

namespace {

constexpr int kGap = 2;

} // namespace

StatusPanels::StatusPanels(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("StatusBar1"));
    for (std::size_t i = 0; i < m_labels.size(); ++i) {
        auto* label = new QLabel(this);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        label->setObjectName(i == 1 ? QStringLiteral("Progress")
                                    : QStringLiteral("Panel%1").arg(i + 1));
        m_labels[i] = label;
    }
}

QLabel* StatusPanels::label(int panel) const
{
    return panel >= 1 && panel <= 3 ? m_labels[std::size_t(panel - 1)] : nullptr;
}

QString StatusPanels::text(int panel) const
{
    const QLabel* l = label(panel);
    return l ? l->text() : QString();
}

void StatusPanels::setText(int panel, const QString& text)
{
    if (QLabel* l = label(panel)) {
        l->setText(text);
        if (panel > 1)
            place();
        l->repaint(); // long work may keep the event loop from painting
    }
}

int StatusPanels::panelWidth(int panel) const
{
    return panel >= 1 && panel <= 3 ? m_widths[std::size_t(panel - 1)] : 0;
}

void StatusPanels::setWidths(int path, int progress, int mark)
{
    m_widths = {path, progress, mark};
    place();
}

QSize StatusPanels::sizeHint() const
{
    return {m_widths[0] + m_widths[1] + m_widths[2], m_labels[0]->sizeHint().height()};
}

QSize StatusPanels::minimumSizeHint() const
{
    return {0, m_labels[0]->sizeHint().height()};
}

void StatusPanels::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    place();
}

// Panels 2 and 3 keep to the right edge at their widths, or wider when their text needs it so
// that the counts are never cut; panel 1 takes what is left, up to its own width.
void StatusPanels::place()
{
    const int mark = std::max(m_widths[2], m_labels[2]->sizeHint().width());
    const int progress = std::max(m_widths[1], m_labels[1]->sizeHint().width());
    const int markLeft = std::max(0, width() - mark);
    const int progressLeft = std::max(0, markLeft - kGap - progress);
    const int path = std::max(0, std::min(m_widths[0], progressLeft - kGap));
    m_labels[0]->setGeometry(0, 0, path, height());
    m_labels[1]->setGeometry(progressLeft, 0, std::min(progress, markLeft - progressLeft),
                             height());
    m_labels[2]->setGeometry(markLeft, 0, std::min(mark, width()), height());
}

} // namespace mainwindow
