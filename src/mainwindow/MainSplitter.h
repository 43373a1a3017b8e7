#pragma once

#include <QSplitter>
#include <QSplitterHandle>

namespace mainwindow {

// The splitter between the folder tree and the software list. A drag never brings the list
// closer than 1000 twips to either edge of the window; the tree keeps its width when the window
// is resized.
class MainSplitter final : public QSplitter
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainSplitter)

public:
    explicit MainSplitter(QWidget* parent = nullptr);

    // The splitter's left edge (the tree's right edge) in window pixels.
    int SplitterLeft() const;
    void SetSplitterLeft(int pixels);
    // Moves the splitter as a drag to listLeft (window pixels) would, limits included.
    void DragListTo(int listLeft);

protected:
    QSplitterHandle* createHandle() override;

private:
    int treeLeft() const;
};

// The handle that applies the drag limits.
class MainSplitterHandle final : public QSplitterHandle
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainSplitterHandle)

public:
    explicit MainSplitterHandle(MainSplitter* parent);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    MainSplitter* m_splitter;
    int m_offset = 0;
};

} // namespace mainwindow
