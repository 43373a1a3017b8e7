#include "info/PropertyNotebookPage.h"

#include <QDropEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>

namespace info {

namespace {

constexpr int kUrlBoxes = 5;

// A dropped text as one address: line breaks at its end go, those inside become blanks (a box
// holds one line of the notebook file).
QString OneLine(QString text)
{
    while (text.endsWith(u'\n') || text.endsWith(u'\r'))
        text.chop(1);
    return text.replace(u'\r', u' ').replace(u'\n', u' ');
}

} // namespace

PropertyNotebookPage::PropertyNotebookPage(QWidget* parent) : PropertyPage(parent)
{
    setObjectName(QStringLiteral("pictab_4"));
    for (int i = 0; i < kUrlBoxes; ++i) {
        const int n = kFirstUrlBox + i;
        auto* line = new QLineEdit(this);
        addBox(n, line);
        line->installEventFilter(this);
        connect(line, &QLineEdit::textChanged, this, [this, n] { updateLinks(n); });
        QPushButton* open =
            makeLink(kFirstLink + i, QStringLiteral("開く(&") + QString::number(i + 1) + u')', n);
        addRow(i == 0 ? QStringLiteral("関連URL:") : QString(), line, open);
    }
    auto* comment = new QPlainTextEdit(this);
    addBox(kCommentBox, comment);
    comment->setTabChangesFocus(true);
    comment->setMinimumHeight(comment->fontMetrics().lineSpacing() * 8);
    // The comment takes the room that is left.
    addTextRow(QStringLiteral("コメント:"), comment, true);
}

void PropertyNotebookPage::load(const Notebook& notebook)
{
    for (int i = 0; i < kUrlBoxes; ++i)
        setBoxText(kFirstUrlBox + i, notebook.urls[std::size_t(i)]);
    setBoxText(kCommentBox, notebook.comment);
}

Notebook PropertyNotebookPage::notebook() const
{
    Notebook notebook;
    for (int i = 0; i < kUrlBoxes; ++i)
        notebook.urls[std::size_t(i)] = boxText(kFirstUrlBox + i);
    notebook.comment = boxText(kCommentBox);
    return notebook;
}

bool PropertyNotebookPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Drop) {
        auto* line = qobject_cast<QLineEdit*>(watched);
        auto* drop = static_cast<QDropEvent*>(event);
        if (line && drop->mimeData()->hasText()) {
            line->setText(OneLine(drop->mimeData()->text()));
            line->setCursorPosition(0);
            line->setFocus();
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            return true;
        }
    }
    return PropertyPage::eventFilter(watched, event);
}

} // namespace info
