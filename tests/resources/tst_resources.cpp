#include "resources/AnimationWidget.h"
#include "resources/IconNames.h"
#include "resources/Icons.h"

#include <QImage>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTest>
#include <span>

using namespace Qt::StringLiterals;
using resources::ImageList;

namespace {

// The area of the picture that is drawn on; empty for a blank picture.
QRect Inked(const QImage& image)
{
    QRect inked;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                inked |= QRect(x, y, 1, 1);
    return inked;
}

} // namespace

class TstResources : public QObject
{
    Q_OBJECT

private slots:
    void everyPictureLoadsAtOneAndTwoTimes_data();
    void everyPictureLoadsAtOneAndTwoTimes();
    void lookupByKey_data();
    void lookupByKey();
    void numberedLookupsKeepToTheirRange();
    void animationWidgetPlaysLoopsAndStops();
    void animationWidgetPaintsCentred();
};

void TstResources::everyPictureLoadsAtOneAndTwoTimes_data()
{
    QTest::addColumn<QString>("path");
    QStringList paths{resources::ProgramIconPath.toString()};
    for (const auto& table : {std::span<const resources::KeyedImage>(resources::TreeImages),
                              std::span<const resources::KeyedImage>(resources::ToolbarImages),
                              std::span<const resources::KeyedImage>(resources::SortImages)})
        for (const resources::KeyedImage& image : table)
            paths << image.path.toString();
    for (QStringView path : resources::ListIcons)
        paths << path.toString();
    for (const resources::AnimationInfo& info : resources::Animations)
        paths << resources::AnimationFrames(info.name);
    for (const QString& path : paths)
        QTest::newRow(qPrintable(path)) << path;
}

void TstResources::everyPictureLoadsAtOneAndTwoTimes()
{
    QFETCH(QString, path);
    QVERIFY(QSvgRenderer(path).isValid());
    const QIcon icon(path);
    for (const qreal ratio : {1.0, 2.0}) {
        const QPixmap pixmap = icon.pixmap(QSize(16, 16), ratio);
        // Animation frames are wider than high and keep their shape.
        QCOMPARE(qMax(pixmap.width(), pixmap.height()), qRound(16 * ratio));
        QVERIFY2(!Inked(pixmap.toImage()).isEmpty(), "blank");
    }
}

void TstResources::lookupByKey_data()
{
    QTest::addColumn<int>("list");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("path");
    const int tree = int(ImageList::Tree), toolbar = int(ImageList::Toolbar);
    QTest::newRow("key case ignored")
        << tree << u"closenew"_s << u":/icons/folder_closed_new.svg"_s;
    QTest::newRow("favourites root") << tree << u"Favorites"_s << u":/icons/tree_favorites.svg"_s;
    QTest::newRow("add to favourites") << toolbar << u"Favorites"_s << u":/icons/favorites.svg"_s;
    QTest::newRow("descending") << int(ImageList::Sort) << u"Desc"_s << u":/icons/sort_desc.svg"_s;
    QTest::newRow("toolbar key not in tree") << tree << u"Refresh"_s << QString();
    QTest::newRow("empty") << toolbar << QString() << QString();
}

void TstResources::lookupByKey()
{
    QFETCH(int, list);
    QFETCH(QString, key);
    QFETCH(QString, path);
    QCOMPARE(resources::ImagePath(ImageList(list), key), path);
    QCOMPARE(resources::Icon(ImageList(list), key).isNull(), path.isEmpty());
}

void TstResources::numberedLookupsKeepToTheirRange()
{
    // The icon choices are 0-based; a value from a hand-edited file may fall outside.
    QCOMPARE(resources::ListIconPath(0), u":/icons/list_normal.svg"_s);
    QCOMPARE(resources::ListIconPath(13), u":/icons/list_bullet.svg"_s);
    QVERIFY(resources::ListIconPath(-1).isEmpty());
    QVERIFY(resources::ListIcon(14).isNull());
    QCOMPARE(resources::AnimationForResource(101), resources::CompactAnimation.toString());
    QCOMPARE(resources::AnimationForResource(104), resources::ToolbarAnimation.toString());
    QVERIFY(resources::AnimationForResource(0).isEmpty());
    QCOMPARE(resources::AnimationForResource(102), resources::SearchAnimation.toString());
    QVERIFY(resources::AnimationForResource(105).isEmpty());
    QCOMPARE(resources::AnimationFrames(u"BUSY").size(), 8);
}

void TstResources::animationWidgetPlaysLoopsAndStops()
{
    resources::AnimationWidget widget(resources::ToolbarAnimation);
    QCOMPARE(widget.sizeHint(), QSize(24, 24));
    QCOMPARE(widget.frameCount(), 8);
    widget.setInterval(5);
    QSignalSpy frames(&widget, &resources::AnimationWidget::frameChanged);
    widget.start();
    QTRY_VERIFY_WITH_TIMEOUT(frames.size() >= widget.frameCount() + 1, 5000);
    // The frames come in order and wrap round to the first.
    for (qsizetype i = 1; i < frames.size(); ++i)
        QCOMPARE(frames[i].at(0).toInt(), (frames[i - 1].at(0).toInt() + 1) % 8);

    widget.stop();
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

    // An unknown name leaves nothing to play.
    QVERIFY(!widget.setAnimation(u"nothing"));
    widget.start();
    QVERIFY(!widget.isRunning());
}

void TstResources::animationWidgetPaintsCentred()
{
    resources::AnimationWidget widget(resources::CompactAnimation);
    widget.resize(160, 100);
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    // Drawn at its own size inside the 96 x 48 frame box, which sits in the middle.
    const QRect inked = Inked(image);
    QVERIFY(!inked.isEmpty());
    QVERIFY(inked.left() >= 32 && inked.right() < 128);
    QVERIFY(inked.top() >= 26 && inked.bottom() < 74);
    QVERIFY(qAbs(inked.center().x() - 80) <= 4);
}

QTEST_MAIN(TstResources)
#include "tst_resources.moc"
