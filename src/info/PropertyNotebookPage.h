#pragma once

#include "info/Notebook.h"
#include "info/PropertyPage.h"

namespace info {

// The tab "追加情報": the user's own notebook of the entry, five related addresses (boxes 19 to
// 23, each with its 開く button, link buttons 6 to 10) and a comment of several lines (box 24).
// A 開く button is enabled while its box holds text; plain text dropped on an address box
// replaces what it held.
class PropertyNotebookPage final : public PropertyPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PropertyNotebookPage)

public:
    static constexpr int kFirstUrlBox = 19;
    static constexpr int kCommentBox = 24;
    static constexpr int kFirstLink = 6;

    explicit PropertyNotebookPage(QWidget* parent = nullptr);

    // Puts the notebook into the boxes, replacing what they held.
    void load(const Notebook& notebook);
    // What the boxes hold.
    Notebook notebook() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace info
