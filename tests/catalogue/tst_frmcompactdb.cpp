#include "catalogue/Catalogue.h"
#include "catalogue/Compact.h"
#include "catalogue/PageTransaction.h"
#include "catalogue/Schema.h"
#include "catalogue/frmCompactdb.h"
#include "config/Settings.h"
#include "support/TestFolder.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

using namespace catalogue;

class TestFrmCompactdb : public QObject
{
    Q_OBJECT

private slots:
    void compactsAndClosesItselfWithoutBeingCancelled()
    {
        TestFolder folder;
        const QString path = folder.file(QStringLiteral("Pelimond.mdb"));
        QVERIFY(CreateEmptyCatalogue(path));
        const QString area = config::SiteRoot + QStringLiteral("tpack/filearea/");
        {
            PageTransaction page(path);
            for (int i = 0; i < 1000; ++i) {
                EntryRow row;
                row.BaseURL = area;
                row.TargetURL = area + QString::number(i);
                row.Description = QString(300, u'z');
                QVERIFY(SaveEntry(page.db(), row));
            }
            QVERIFY(page.commit());
            Db db;
            QVERIFY(OpenDb(db, path));
            QVERIFY(DeleteFolderEntries(db, area));
        }
        const qint64 before = QFileInfo(path).size();

        frmCompactdb window(path);
        QCOMPARE(window.windowTitle(), QStringLiteral("データベースを最適化中です..."));
        auto* label = window.findChild<QLabel*>(QStringLiteral("Label1"));
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("データベースを最適化しています...."));
        QVERIFY(window.findChild<QProgressBar*>(QStringLiteral("picanimate")));
        // Escape and the close box once the window is up are both refused.
        QTimer::singleShot(0, &window, [&window] {
            QTest::keyClick(&window, Qt::Key_Escape);
            window.close();
        });
        QCOMPARE(window.exec(), int(QDialog::Accepted));
        QVERIFY(window.compacted());
        QVERIFY(!window.isVisible());
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(QFileInfo(path).size() < before);
        QCOMPARE(FilesBesideLocks(folder.path()),
                 QStringList{QStringLiteral("Pelimond.mdb")});
    }

    void missingCatalogueStillCloses()
    {
        TestFolder folder;
        const QString path = folder.file(QStringLiteral("Pelimond.mdb"));
        frmCompactdb window(path);
        QCOMPARE(window.exec(), int(QDialog::Accepted));
        QVERIFY(!window.compacted());
        QVERIFY(QDir(folder.path()).entryList(QDir::Files).isEmpty());
    }
};

QTEST_MAIN(TestFrmCompactdb)
#include "tst_frmcompactdb.moc"
