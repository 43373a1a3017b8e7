#pragma once

#include <QSize>
#include <QString>
#include <QStringView>
#include <QWidget>
#include <memory>
#include <vector>

class QSvgRenderer;
class QTimer;

namespace resources {

// Plays one of the program's animations (IconNames.h) in a box of its own size: the frames are
// painted in turn, centred, while the animation runs. The windows embed it as `picanimate`.
// Work that blocks the event loop can call advance() itself to keep the picture moving.
class AnimationWidget final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AnimationWidget)

public:
    explicit AnimationWidget(QStringView name = {}, QWidget* parent = nullptr);
    ~AnimationWidget() override;

    // Loads the frames of a named animation and shows its first frame; stops a running one.
    // False (and no frames) for an unknown name.
    bool setAnimation(QStringView name);
    QString animation() const { return m_name; }

    int frameCount() const { return static_cast<int>(m_frames.size()); }
    int currentFrame() const { return m_frame; }
    bool isRunning() const;

    // Milliseconds per frame.
    void setInterval(int milliseconds);
    int interval() const;

    QSize sizeHint() const override { return m_frameSize; }
    QSize minimumSizeHint() const override { return m_frameSize; }

public slots:
    void start(); // plays repeatedly until stop(); no effect without frames
    void stop();  // keeps the current frame on screen
    void advance();

signals:
    void frameChanged(int frame);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_name;
    std::vector<std::unique_ptr<QSvgRenderer>> m_frames;
    QTimer* m_timer;
    QSize m_frameSize;
    int m_frame = 0;
};

} // namespace resources
