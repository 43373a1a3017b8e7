#include "about/frmVersion.h"
#include "config/Settings.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using about::frmVersion;

class TstAbout : public QObject
{
    Q_OBJECT

private slots:
    void showsNameVersionAndDate();
    void everyTextFits();
    void homePageGoesToTheOpener();
    void closesWith_data();
    void closesWith();
};

namespace {

QStringList labelTexts(const QWidget& window)
{
    QStringList texts;
    for (const QLabel* label : window.findChildren<QLabel*>())
        texts.append(label->text());
    return texts;
}

} // namespace

void TstAbout::showsNameVersionAndDate()
{
    frmVersion window(nullptr);
    QCOMPARE(window.windowTitle(), u"バージョン情報"_s);
    QVERIFY(window.isModal());
    const QStringList texts = labelTexts(window);
    QVERIFY(texts.contains(u"Pelimond"_s));
    QVERIFY(texts.contains(u"Talvex File Navigator"_s));
    QVERIFY(texts.contains(u"バージョン "_s + config::ProgramVersion()));
    const QDate built = QFileInfo(QCoreApplication::applicationFilePath()).lastModified().date();
    QVERIFY2(texts.contains(u"実行ファイルの日付: "_s + built.toString(u"yyyy/MM/dd"_s)),
             qPrintable(texts.join(u" | ")));
    const QLabel* icon = window.findChild<QLabel*>(u"picIcon"_s);
    QVERIFY(icon && !icon->pixmap().isNull());
    QCOMPARE(window.findChild<QPushButton*>(u"cmd_home"_s)->text(), config::SiteRoot);
}

void TstAbout::everyTextFits()
{
    frmVersion window(nullptr);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // A fixed size, in which no label or button is squeezed below what its text needs.
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QCOMPARE(window.size(), window.minimumSize());
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!qobject_cast<QLabel*>(w) && !qobject_cast<QPushButton*>(w))
            continue;
        QVERIFY2(w->width() >= w->sizeHint().width(), qPrintable(w->objectName()));
        QVERIFY2(w->height() >= w->minimumSizeHint().height(), qPrintable(w->objectName()));
        QVERIFY2(window.rect().contains(w->geometry()), qPrintable(w->objectName()));
    }
}

void TstAbout::homePageGoesToTheOpener()
{
    QStringList opened;
    frmVersion window([&opened](const QString& url) { opened.append(url); });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* home = window.findChild<QPushButton*>(u"cmd_home"_s);
    QVERIFY(home);
    QTest::mouseClick(home, Qt::LeftButton);
    QCOMPARE(opened, QStringList{config::SiteRoot});
    // Reached by the keyboard: its label's mnemonic gives it the focus, Space opens it.
    QTest::keyClick(&window, Qt::Key_H, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), home);
    QTest::keyClick(home, Qt::Key_Space);
    QCOMPARE(opened, (QStringList{config::SiteRoot, config::SiteRoot}));
    // Opening the page leaves the box open.
    QVERIFY(window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Rejected));
}

void TstAbout::closesWith_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("result");
    QTest::newRow("OK button") << u"click"_s << int(QDialog::Accepted);
    QTest::newRow("Enter") << u"enter"_s << int(QDialog::Accepted);
    QTest::newRow("Escape") << u"escape"_s << int(QDialog::Rejected);
}

void TstAbout::closesWith()
{
    QFETCH(QString, how);
    QFETCH(int, result);
    QStringList opened;
    frmVersion window([&opened](const QString& url) { opened.append(url); });
    QSignalSpy finished(&window, &QDialog::finished);
    window.open();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    if (how == u"click")
        QTest::mouseClick(window.findChild<QPushButton*>(u"cmd_ok"_s), Qt::LeftButton);
    else
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window,
                        how == u"enter" ? Qt::Key_Return : Qt::Key_Escape);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), result);
    QVERIFY(!window.isVisible());
    QVERIFY(opened.isEmpty());
}

QTEST_MAIN(TstAbout)
#include "tst_about.moc"
