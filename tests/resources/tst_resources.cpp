#include "resources/AnimationWidget.h"
#include "resources/IconNames.h"
#include "resources/Icons.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTest>

using namespace Qt::StringLiterals;
using resources::ImageList;

namespace {

const QColor LightWindow(0xff, 0xff, 0xff);
const QColor DarkWindow(0x2b, 0x2b, 0x2b);

QImage Render(const QString& path, QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(path);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

// Share of the pixels that, laid over a window of this colour, differ clearly from it.
double VisibleShare(const QImage& image, const QColor& window)
{
    int visible = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y); // unpremultiplied
            const double a = qAlpha(p) / 255.0;
            const auto over = [a](int ink, int back) { return a * ink + (1 - a) * back; };
            const double dr = over(qRed(p), window.red()) - window.red();
            const double dg = over(qGreen(p), window.green()) - window.green();
            const double db = over(qBlue(p), window.blue()) - window.blue();
            if (qMax(qAbs(dr), qMax(qAbs(dg), qAbs(db))) >= 48)
                ++visible;
        }
    }
    return double(visible) / (image.width() * image.height());
}

QStringList AllIconPaths()
{
    QStringList paths;
    for (const auto& image : resources::TreeImages)
        paths << image.path.toString();
    for (const auto& image : resources::ToolbarImages)
        paths << image.path.toString();
    for (const auto& image : resources::SortImages)
        paths << image.path.toString();
    for (QStringView path : resources::ListIcons)
        paths << path.toString();
    paths << resources::ProgramIconPath.toString();
    return paths;
}

} // namespace

class TstResources : public QObject
{
    Q_OBJECT

private slots:
    void everyIconLoadsAtOneAndTwoTimes_data();
    void everyIconLoadsAtOneAndTwoTimes();
    void iconsStandOutOnLightAndDarkWindows_data();
    void iconsStandOutOnLightAndDarkWindows();
    void lookupByKey_data();
    void lookupByKey();
    void listIconsByChoiceNumber();
    void packedFilesMatchTheNameTables();
    void animationsHaveMovingFrames_data();
    void animationsHaveMovingFrames();
    void animationResourceNumbers();
    void animationWidgetPlaysLoopsAndStops();
    void animationWidgetPaintsCentred();
    void animationWidgetWithUnknownName();
    void cleanupTestCase();
};

void TstResources::everyIconLoadsAtOneAndTwoTimes_data()
{
    QTest::addColumn<QString>("path");
    for (const QString& path : AllIconPaths())
        QTest::newRow(qPrintable(path)) << path;
}

void TstResources::everyIconLoadsAtOneAndTwoTimes()
{
    QFETCH(QString, path);
    QVERIFY2(QFile::exists(path), qPrintable(path));
    QVERIFY(QSvgRenderer(path).isValid());
    const QIcon icon(path);
    QVERIFY(!icon.isNull());
    for (const qreal ratio : {1.0, 2.0}) {
        const QPixmap pixmap = icon.pixmap(QSize(16, 16), ratio);
        QVERIFY(!pixmap.isNull());
        QCOMPARE(pixmap.size(), QSize(16, 16) * ratio);
        QCOMPARE(pixmap.deviceIndependentSize(), QSizeF(16, 16));
    }
}

void TstResources::iconsStandOutOnLightAndDarkWindows_data()
{
    everyIconLoadsAtOneAndTwoTimes_data();
}

void TstResources::iconsStandOutOnLightAndDarkWindows()
{
    QFETCH(QString, path);
    for (const int size : {16, 32}) {
        const QImage image = Render(path, QSize(size, size));
        const double onLight = VisibleShare(image, LightWindow);
        const double onDark = VisibleShare(image, DarkWindow);
        QVERIFY2(onLight >= 0.05, qPrintable(u"%1 px on light: %2"_s.arg(size).arg(onLight)));
        QVERIFY2(onDark >= 0.05, qPrintable(u"%1 px on dark: %2"_s.arg(size).arg(onDark)));
    }
}

void TstResources::lookupByKey_data()
{
    QTest::addColumn<int>("list");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("path");
    const int tree = int(ImageList::Tree), toolbar = int(ImageList::Toolbar);
    QTest::newRow("tree root") << tree << u"TalvexRoot"_s << u":/icons/tree_talvexroot.svg"_s;
    QTest::newRow("closed folder") << tree << u"Close"_s << u":/icons/folder_closed.svg"_s;
    QTest::newRow("new-area folder open")
        << tree << u"OpenNew"_s << u":/icons/folder_open_new.svg"_s;
    QTest::newRow("key case ignored")
        << tree << u"closenew"_s << u":/icons/folder_closed_new.svg"_s;
    QTest::newRow("favourites root") << tree << u"Favorites"_s << u":/icons/tree_favorites.svg"_s;
    QTest::newRow("add to favourites") << toolbar << u"Favorites"_s << u":/icons/favorites.svg"_s;
    QTest::newRow("search root") << tree << u"Search"_s << u":/icons/tree_search.svg"_s;
    QTest::newRow("search button") << toolbar << u"Search"_s << u":/icons/search.svg"_s;
    QTest::newRow("settings button") << toolbar << u"Contol"_s << u":/icons/contol.svg"_s;
    QTest::newRow("offline button") << toolbar << u"FileOnly"_s << u":/icons/fileonly.svg"_s;
    QTest::newRow("ascending") << int(ImageList::Sort) << u"Asc"_s << u":/icons/sort_asc.svg"_s;
    QTest::newRow("descending") << int(ImageList::Sort) << u"Desc"_s << u":/icons/sort_desc.svg"_s;
    QTest::newRow("toolbar key not in tree") << tree << u"Refresh"_s << QString();
    QTest::newRow("unknown") << toolbar << u"Nothing"_s << QString();
    QTest::newRow("empty") << toolbar << QString() << QString();
}

void TstResources::lookupByKey()
{
    QFETCH(int, list);
    QFETCH(QString, key);
    QFETCH(QString, path);
    const auto which = ImageList(list);
    QCOMPARE(resources::ImagePath(which, key), path);
    QCOMPARE(resources::Icon(which, key).isNull(), path.isEmpty());
}

void TstResources::listIconsByChoiceNumber()
{
    // The settings are 0-based; a value from a hand-edited file may fall outside.
    QCOMPARE(resources::ListIconPath(0), u":/icons/list_normal.svg"_s);
    QCOMPARE(resources::ListIconPath(1), u":/icons/list_pickup.svg"_s);
    QCOMPARE(resources::ListIconPath(13), u":/icons/list_bullet.svg"_s);
    QVERIFY(resources::ListIconPath(-1).isEmpty());
    QVERIFY(resources::ListIconPath(resources::ListIconCount).isEmpty());
    QVERIFY(resources::ListIcon(14).isNull());
    QVERIFY(!resources::ListIcon(7).isNull());
    // Fourteen different pictures, so every choice can be told apart.
    QSet<QString> files;
    for (int i = 0; i < resources::ListIconCount; ++i)
        files.insert(resources::ListIconPath(i));
    QCOMPARE(files.size(), resources::ListIconCount);
    QVERIFY(!resources::ProgramIcon().isNull());
}

void TstResources::packedFilesMatchTheNameTables()
{
    QSet<QString> named;
    for (const QString& path : AllIconPaths())
        named.insert(path.mid(QStringLiteral(":/icons/").size()));
    const QStringList packed = QDir(u":/icons"_s).entryList(QDir::Files);
    QCOMPARE(QSet<QString>(packed.cbegin(), packed.cend()), named);

    QStringList names;
    for (const resources::AnimationInfo& info : resources::Animations) {
        names << info.name.toString();
        const QStringList frames =
            QDir(u":/animations/"_s + info.name.toString()).entryList(QDir::Files, QDir::Name);
        QCOMPARE(frames.size(), info.frames);
        QCOMPARE(frames.first(), u"frame_00.svg"_s);
    }
    QStringList folders = QDir(u":/animations"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    folders.sort();
    names.sort();
    QCOMPARE(folders, names);
}

void TstResources::animationsHaveMovingFrames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::newRow("update window") << resources::UpdateAnimation.toString() << QSize(96, 48);
    QTest::newRow("compaction window") << resources::CompactAnimation.toString() << QSize(96, 48);
    QTest::newRow("download window") << resources::DownloadAnimation.toString() << QSize(96, 48);
    QTest::newRow("toolbar") << resources::ToolbarAnimation.toString() << QSize(24, 24);
}

void TstResources::animationsHaveMovingFrames()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    const QStringList frames = resources::AnimationFrames(name);
    QVERIFY(frames.size() >= 8 && frames.size() <= 12);
    QList<QImage> images;
    for (const QString& frame : frames) {
        QSvgRenderer renderer(frame);
        QVERIFY2(renderer.isValid(), qPrintable(frame));
        QCOMPARE(renderer.defaultSize(), size);
        images << Render(frame, size);
        QVERIFY(VisibleShare(images.last(), LightWindow) >= 0.05);
        QVERIFY(VisibleShare(images.last(), DarkWindow) >= 0.05);
    }
    // Each step, the wrap from the last frame to the first included, shows a change.
    for (qsizetype i = 0; i < images.size(); ++i)
        QVERIFY2(images[i] != images[(i + 1) % images.size()], qPrintable(frames[i]));
}

void TstResources::animationResourceNumbers()
{
    QCOMPARE(resources::AnimationForResource(101), resources::CompactAnimation.toString());
    QCOMPARE(resources::AnimationForResource(103), resources::DownloadAnimation.toString());
    QCOMPARE(resources::AnimationForResource(104), resources::ToolbarAnimation.toString());
    QVERIFY(resources::AnimationForResource(0).isEmpty());
    QVERIFY(resources::AnimationForResource(102).isEmpty());
    QVERIFY(resources::AnimationFrames(u"nothing").isEmpty());
    QCOMPARE(resources::AnimationFrames(u"BUSY").first(), u":/animations/busy/frame_00.svg"_s);
}

void TstResources::animationWidgetPlaysLoopsAndStops()
{
    resources::AnimationWidget widget(resources::ToolbarAnimation);
    QCOMPARE(widget.sizeHint(), QSize(24, 24));
    QCOMPARE(widget.frameCount(), 8);
    QCOMPARE(widget.currentFrame(), 0);
    QVERIFY(!widget.isRunning());

    widget.setInterval(5);
    QSignalSpy frames(&widget, &resources::AnimationWidget::frameChanged);
    widget.start();
    QVERIFY(widget.isRunning());
    QTRY_VERIFY_WITH_TIMEOUT(frames.size() >= widget.frameCount() + 1, 5000);
    // The frames come in order and wrap round to the first.
    for (qsizetype i = 1; i < frames.size(); ++i)
        QCOMPARE(frames[i].at(0).toInt(), (frames[i - 1].at(0).toInt() + 1) % 8);
    QVERIFY(frames.contains(QVariantList{0}));

    widget.stop();
    QVERIFY(!widget.isRunning());
    const int held = widget.currentFrame();
    frames.clear();
    QVERIFY(!frames.wait(100));
    QCOMPARE(widget.currentFrame(), held);

    // Loading another animation stops the running one and starts from its first frame.
    widget.start();
    QVERIFY(widget.setAnimation(resources::DownloadAnimation));
    QVERIFY(!widget.isRunning());
    QCOMPARE(widget.currentFrame(), 0);
    QCOMPARE(widget.sizeHint(), QSize(96, 48));
}

void TstResources::animationWidgetPaintsCentred()
{
    resources::AnimationWidget widget(resources::CompactAnimation);
    widget.resize(160, 100);
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    QRect inked;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                inked |= QRect(x, y, 1, 1);
    QVERIFY(!inked.isEmpty());
    // Drawn at its own size inside the 96 x 48 frame box, which sits in the middle.
    QVERIFY(inked.left() >= 32 && inked.right() < 128);
    QVERIFY(inked.top() >= 26 && inked.bottom() < 74);
    QVERIFY(qAbs(inked.center().x() - 80) <= 4);

    // A box smaller than the frame shrinks the picture instead of cutting it off.
    widget.resize(48, 24);
    QImage small(widget.size(), QImage::Format_ARGB32_Premultiplied);
    small.fill(Qt::transparent);
    widget.render(&small, QPoint(), QRegion(), QWidget::DrawChildren);
    QVERIFY(VisibleShare(small, LightWindow) > 0.05);
}

void TstResources::animationWidgetWithUnknownName()
{
    resources::AnimationWidget widget(u"nothing");
    QCOMPARE(widget.frameCount(), 0);
    QVERIFY(widget.animation().isEmpty());
    QVERIFY(!widget.sizeHint().isValid());
    widget.start();
    QVERIFY(!widget.isRunning());
    widget.advance();
    QCOMPARE(widget.currentFrame(), 0);
}

// With PELIMOND_ICON_SHEET set to a file name, writes a PNG of every icon at 16 and 32 pixels
// and every animation frame, on a light window (left half) and a dark one (right half).
void TstResources::cleanupTestCase()
{
    const QString target = qEnvironmentVariable("PELIMOND_ICON_SHEET");
    if (target.isEmpty())
        return;
    const QStringList icons = AllIconPaths();
    QStringList frames;
    for (const resources::AnimationInfo& info : resources::Animations)
        frames << resources::AnimationFrames(info.name);
    const int cell = 44, columns = 10, frameWidth = 110, frameHeight = 56, frameColumns = 4;
    const int iconRows = int((icons.size() + columns - 1) / columns);
    const int frameRows = int((frames.size() + frameColumns - 1) / frameColumns);
    const int half = qMax(columns * cell, frameColumns * frameWidth);
    QImage sheet(2 * half, iconRows * cell + frameRows * frameHeight, QImage::Format_RGB32);
    QPainter painter(&sheet);
    painter.fillRect(QRect(0, 0, half, sheet.height()), LightWindow);
    painter.fillRect(QRect(half, 0, half, sheet.height()), DarkWindow);
    for (const int x0 : {0, half}) {
        for (qsizetype i = 0; i < icons.size(); ++i) {
            const QPointF at(x0 + int(i % columns) * cell, int(i / columns) * cell);
            QSvgRenderer renderer(icons[i]);
            renderer.render(&painter, QRectF(at + QPointF(2, 2), QSizeF(16, 16)));
            renderer.render(&painter, QRectF(at + QPointF(8, 10), QSizeF(32, 32)));
        }
        for (qsizetype i = 0; i < frames.size(); ++i) {
            const QPointF at(x0 + int(i % frameColumns) * frameWidth,
                             iconRows * cell + int(i / frameColumns) * frameHeight);
            QSvgRenderer renderer(frames[i]);
            renderer.render(&painter, QRectF(at + QPointF(4, 4), renderer.defaultSize()));
        }
    }
    painter.end();
    QVERIFY(sheet.save(target));
}

QTEST_MAIN(TstResources)
#include "tst_resources.moc"
