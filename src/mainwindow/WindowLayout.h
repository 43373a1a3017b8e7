#pragma once

#include <QRect>
#include <QSize>

class QWidget;

// The main window's measures. Stored sizes and positions are twips (1/1440 inch); the window
// works in pixels, converted by the screen's logical DPI.
namespace mainwindow {

// Sentinel of the position keys and SplitterLeft: nothing saved yet.
inline constexpr int kNotSaved = -999;
// Splitter position of a first start.
inline constexpr int kDefaultSplitterLeft = 2940;
// Gap between the splitter's left edge and the list.
inline constexpr int kSplitterGap = 60;
// Closest the list may come to either edge of the window while the splitter is dragged.
inline constexpr int kSplitterMargin = 1000;

// Pixels per inch of the screen the widget is on (the primary screen without one).
double LogicalDpi(const QWidget* widget);
int TwipsToPixels(int twips, double dpi);
int PixelsToTwips(int pixels, double dpi);

// The window's first geometry in twips: the stored values, except that a -999 size is 70 % of
// the screen and a -999 position centres the window.
QRect InitialGeometryTwips(int left, int top, int width, int height, QSize screenTwips);

// The list's left edge while the splitter is dragged to requested (all in window pixels).
int ClampListLeft(int requested, int outerWidth, double dpi);

// Widths of the three status-bar panels in twips.
struct PanelWidths
{
    int path = 1;     // panel 1, the category path
    int progress = 0; // panel 2, the selection and row counts
    int mark = 0;     // panel 3, the entry mark
};
PanelWidths StatusPanelWidths(int outerWidthTwips, int innerWidthTwips);

} // namespace mainwindow
