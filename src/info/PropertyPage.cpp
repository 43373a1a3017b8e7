#include "info/PropertyPage.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

namespace info {

namespace {

constexpr int kUndrawnDelayMs = 300;

// Watches its window for the first paint, then runs the work from the event loop.
class FirstDraw final : public QObject
{
public:
    FirstDraw(QWidget* window, std::function<void()> work)
        : QObject(window), m_window(window), m_work(std::move(work))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && !m_scheduled) {
            if (event->type() == QEvent::Paint)
                schedule(); // runs after this frame has reached the screen
            else if (event->type() == QEvent::Show)
                QTimer::singleShot(kUndrawnDelayMs, this, [this] { schedule(); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void schedule()
    {
        if (m_scheduled)
            return;
        m_scheduled = true;
        m_window->removeEventFilter(this);
        QTimer::singleShot(0, this, [this] {
            const std::function<void()> work = std::move(m_work);
            deleteLater();
            work();
        });
    }

    QWidget* m_window;
    std::function<void()> m_work;
    bool m_scheduled = false;
};

// Text as a box of several lines shows it: the catalogue joins lines with CR LF.
QString Lines(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
}

} // namespace

PropertyPage::PropertyPage(QWidget* parent) : QWidget(parent), m_grid(new QGridLayout(this))
{
    // The boxes of every tab start at the same place: past the longest label of the sheet.
    m_grid->setColumnMinimumWidth(
        0, fontMetrics().horizontalAdvance(QStringLiteral("ピックアップ:")) + 4);
    m_grid->setColumnStretch(1, 1);
    m_grid->setHorizontalSpacing(8);
    m_grid->setVerticalSpacing(6);
}

QString PropertyPage::boxText(int n) const
{
    QWidget* w = box(n);
    if (auto* line = qobject_cast<QLineEdit*>(w))
        return line->text();
    if (auto* text = qobject_cast<QPlainTextEdit*>(w))
        return text->toPlainText();
    return {};
}

int PropertyPage::nextRow() const
{
    // rowCount() is at least 1 on an empty grid.
    return m_grid->count() == 0 ? 0 : m_grid->rowCount();
}

void PropertyPage::addBox(int n, QWidget* box)
{
    box->setObjectName(QStringLiteral("txt_info_") + QString::number(n));
    m_boxes.insert(n, box);
}

QLineEdit* PropertyPage::makeLine(int n, bool framed)
{
    auto* line = new QLineEdit(this);
    line->setReadOnly(true);
    line->setFrame(framed);
    QPalette palette = line->palette();
    // Flat: drawn on the page like a label, yet the text can be selected and copied. Framed:
    // the grey of a box that cannot be typed in.
    palette.setColor(QPalette::Base,
                     framed ? palette.color(QPalette::Window) : QColor(Qt::transparent));
    line->setPalette(palette);
    addBox(n, line);
    return line;
}

QPlainTextEdit* PropertyPage::makeText(int n, int visibleLines, bool grows)
{
    auto* text = new QPlainTextEdit(this);
    text->setReadOnly(true);
    text->setTabChangesFocus(true);
    text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    const int lineHeight = text->fontMetrics().lineSpacing();
    const int height = lineHeight * visibleLines + 2 * text->frameWidth() +
                       int(text->document()->documentMargin() * 2) + 2;
    if (grows)
        text->setMinimumHeight(height);
    else
        text->setFixedHeight(height);
    QPalette palette = text->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    text->setPalette(palette);
    addBox(n, text);
    return text;
}

QPushButton* PropertyPage::makeLink(int button, const QString& caption, int box)
{
    auto* link = new QPushButton(caption, this);
    link->setObjectName(QStringLiteral("cmd_proc_") + QString::number(button));
    link->setEnabled(false);
    m_links.insert(button, link);
    m_linkBox.insert(button, box);
    connect(link, &QPushButton::clicked, this,
            [this, button, box] { emit linkActivated(button, boxText(box)); });
    return link;
}

QLabel* PropertyPage::fieldLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

void PropertyPage::addRow(const QString& label, QWidget* box, QPushButton* link)
{
    const int row = nextRow();
    if (!label.isEmpty()) {
        QLabel* l = fieldLabel(label, this);
        l->setBuddy(box);
        m_grid->addWidget(l, row, 0, Qt::AlignLeft | Qt::AlignVCenter);
    }
    m_grid->addWidget(box, row, 1, 1, link ? 1 : 2);
    if (link)
        m_grid->addWidget(link, row, 2);
}

void PropertyPage::addTextRow(const QString& label, QPlainTextEdit* box, bool labelAbove)
{
    int row = nextRow();
    QLabel* l = fieldLabel(label, this);
    l->setBuddy(box);
    // A box that may grow takes the room the window gains.
    const bool grows = box->minimumHeight() != box->maximumHeight();
    if (labelAbove) {
        m_grid->addWidget(l, row, 0, 1, 3);
        m_grid->addWidget(box, row + 1, 0, 1, 3);
        if (grows)
            m_grid->setRowStretch(row + 1, 1);
        return;
    }
    // Level with the first line of the box.
    l->setContentsMargins(0, box->frameWidth() + int(box->document()->documentMargin()), 0, 0);
    m_grid->addWidget(l, row, 0, Qt::AlignLeft | Qt::AlignTop);
    m_grid->addWidget(box, row, 1, 1, 2);
    if (grows)
        m_grid->setRowStretch(row, 1);
}

void PropertyPage::addSeparator()
{
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    m_grid->addWidget(line, nextRow(), 0, 1, 3);
}

void PropertyPage::addStretch()
{
    m_grid->setRowStretch(m_grid->rowCount(), 1);
}

void PropertyPage::setBoxText(int n, const QString& text)
{
    QWidget* w = box(n);
    if (auto* line = qobject_cast<QLineEdit*>(w)) {
        line->setText(text);
        // A long address shows its beginning.
        line->setCursorPosition(0);
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) {
        edit->setPlainText(Lines(text));
    }
    updateLinks(n);
}

void PropertyPage::fitToText(int n, int maxWidth)
{
    auto* line = qobject_cast<QLineEdit*>(box(n));
    if (!line)
        return;
    // The text, the box's inner margins and its frame.
    const int frame =
        line->hasFrame() ? 2 * line->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
    const int width = line->fontMetrics().horizontalAdvance(line->text()) + 8 + frame;
    line->setMinimumWidth(std::min(width, maxWidth));
}

void PropertyPage::updateLinks(int n)
{
    const bool filled = !boxText(n).isEmpty();
    for (auto it = m_linkBox.cbegin(); it != m_linkBox.cend(); ++it) {
        if (it.value() == n)
            m_links.value(it.key())->setEnabled(filled);
    }
}

void RunOnceDrawn(QWidget* window, std::function<void()> work)
{
    new FirstDraw(window, std::move(work));
}

} // namespace info
