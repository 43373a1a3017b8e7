#include "mainwindow/WindowLayout.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace mainwindow {

namespace {

constexpr double kTwipsPerInch = 1440.0;
// Below this outer width the two right panels share the window.
constexpr int kNarrowWindow = 3600;
constexpr int kProgressPanel = 2600;
constexpr int kMarkPanel = 1000;

} // namespace

double LogicalDpi(const QWidget* widget)
{
    const QScreen* screen = widget ? widget->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return dpi > 0 ? dpi : 96.0;
}

int TwipsToPixels(int twips, double dpi)
{
    return int(std::lround(twips * dpi / kTwipsPerInch));
}

int PixelsToTwips(int pixels, double dpi)
{
    return int(std::lround(pixels * kTwipsPerInch / dpi));
}

QRect InitialGeometryTwips(int left, int top, int width, int height, QSize screenTwips)
{
    const int h = height == kNotSaved ? int(screenTwips.height() * 0.7) : height;
    const int w = width == kNotSaved ? int(screenTwips.width() * 0.7) : width;
    const int x = left == kNotSaved ? (screenTwips.width() - w) / 2 : left;
    const int y = top == kNotSaved ? (screenTwips.height() - h) / 2 : top;
    return QRect(x, y, w, h);
}

int ClampListLeft(int requested, int outerWidth, double dpi)
{
    const int margin = TwipsToPixels(kSplitterMargin, dpi);
    if (requested < margin)
        return margin;
    if (requested > outerWidth - margin)
        return outerWidth - margin;
    return requested;
}

PanelWidths StatusPanelWidths(int outerWidthTwips, int innerWidthTwips)
{
    PanelWidths widths;
    if (outerWidthTwips < kNarrowWindow) {
        widths.progress = std::max(0, outerWidthTwips / 2 - 5);
        widths.mark = widths.progress;
    } else {
        widths.progress = kProgressPanel;
        widths.mark = kMarkPanel;
    }
    widths.path = std::max(1, innerWidthTwips - kNarrowWindow);
    return widths;
}

} // namespace mainwindow
