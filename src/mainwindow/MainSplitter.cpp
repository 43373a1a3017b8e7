#include "mainwindow/MainSplitter.h"

#include "mainwindow/WindowLayout.h"

#include <QMouseEvent>
#include <algorithm>

namespace mainwindow {

MainSplitter::MainSplitter(QWidget* parent) : QSplitter(Qt::Horizontal, parent)
{
    setObjectName(QStringLiteral("imgSplitter"));
    setOpaqueResize(true);
    setChildrenCollapsible(false);
    setHandleWidth(std::max(2, TwipsToPixels(kSplitterGap, LogicalDpi(this))));
}

int MainSplitter::treeLeft() const
{
    return mapTo(window(), QPoint(0, 0)).x();
}

int MainSplitter::SplitterLeft() const
{
    const QList<int> s = sizes();
    return treeLeft() + (s.isEmpty() ? 0 : s.first());
}

void MainSplitter::SetSplitterLeft(int pixels)
{
    const int tree = std::max(0, pixels - treeLeft());
    const int total = std::max(width(), tree + handleWidth() + 1);
    setSizes({tree, std::max(1, total - tree - handleWidth())});
}

void MainSplitter::DragListTo(int listLeft)
{
    QWidget* w = window();
    const int clamped = ClampListLeft(listLeft, w->frameGeometry().width(), LogicalDpi(this));
    moveSplitter(clamped - handleWidth() - treeLeft(), 1);
}

QSplitterHandle* MainSplitter::createHandle()
{
    return new MainSplitterHandle(this);
}

MainSplitterHandle::MainSplitterHandle(MainSplitter* parent)
    : QSplitterHandle(Qt::Horizontal, parent), m_splitter(parent)
{}

void MainSplitterHandle::mousePressEvent(QMouseEvent* event)
{
    m_offset = int(event->position().x());
    QSplitterHandle::mousePressEvent(event);
}

void MainSplitterHandle::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPoint inWindow = window()->mapFromGlobal(event->globalPosition().toPoint());
    // The list starts right after the handle.
    m_splitter->DragListTo(inWindow.x() - m_offset + width());
}

} // namespace mainwindow
