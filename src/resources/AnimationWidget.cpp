#include "resources/AnimationWidget.h"

#include "resources/Icons.h"

#include <QPainter>
#include <QSvgRenderer>
#include <QTimer>

namespace resources {

namespace {

constexpr int DefaultInterval = 100; // ten frames a second

} // namespace

AnimationWidget::AnimationWidget(QStringView name, QWidget* parent)
    : QWidget(parent), m_timer(new QTimer(this))
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_timer->setInterval(DefaultInterval);
    connect(m_timer, &QTimer::timeout, this, &AnimationWidget::advance);
    if (!name.isEmpty())
        setAnimation(name);
}

AnimationWidget::~AnimationWidget() = default;

bool AnimationWidget::setAnimation(QStringView name)
{
    stop();
    m_frames.clear();
    m_frame = 0;
    m_name.clear();
    m_frameSize = QSize();
    const QStringList paths = AnimationFrames(name);
    for (const QString& path : paths) {
        auto renderer = std::make_unique<QSvgRenderer>(path);
        if (!renderer->isValid())
            continue;
        m_frameSize = m_frameSize.expandedTo(renderer->defaultSize());
        m_frames.push_back(std::move(renderer));
    }
    if (!m_frames.empty())
        m_name = name.toString();
    updateGeometry();
    update();
    return !m_frames.empty();
}

bool AnimationWidget::isRunning() const
{
    return m_timer->isActive();
}

void AnimationWidget::setInterval(int milliseconds)
{
    m_timer->setInterval(qMax(1, milliseconds));
}

int AnimationWidget::interval() const
{
    return m_timer->interval();
}

void AnimationWidget::start()
{
    if (!m_frames.empty())
        m_timer->start();
}

void AnimationWidget::stop()
{
    m_timer->stop();
}

void AnimationWidget::advance()
{
    if (m_frames.empty())
        return;
    m_frame = (m_frame + 1) % frameCount();
    update();
    emit frameChanged(m_frame);
}

void AnimationWidget::paintEvent(QPaintEvent* /*event*/)
{
    if (m_frames.empty())
        return;
    // Natural size, centred; a box smaller than the frame shrinks it without distortion.
    QSizeF size = m_frameSize;
    if (size.width() > width() || size.height() > height())
        size.scale(QSizeF(this->size()), Qt::KeepAspectRatio);
    const QRectF target(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2),
                        size);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    m_frames[static_cast<std::size_t>(m_frame)]->render(&painter, target);
}

} // namespace resources
