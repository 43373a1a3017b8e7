#pragma once

#include <QObject>

// The software information windows and the core they stand on: the notebook file, the address
// lookup, the property sheet and the folder and selection windows.
class TstInfo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    // CoreTests.cpp
    void notebookFileName_data();
    void notebookFileName();
    void notebookRoundTrip_data();
    void notebookRoundTrip();
    void memberServiceAddresses();
    void entryAddressKinds_data();
    void entryAddressKinds();

    // SheetTests.cpp
    void sheetFill_data();
    void sheetFill();
    void favoritesButton_data();
    void favoritesButton();
    void sheetKeys_data();
    void sheetKeys();
    void notebookSavedByOkOnly_data();
    void notebookSavedByOkOnly();
    void notebookReloadShowsCommentOnce();
    void notebookRefusedNameKeepsText();
    void notebookBoxesAndDrop();
    void links_data();
    void links();
    void readFetchesDetailOnceAndReloadAgain();
    void deletedRowKeepsCaption();

    // SummaryTests.cpp
    void folderProperties_data();
    void folderProperties();
    void selectionTotals_data();
    void selectionTotals();
    void selectionRepaintsAreThrottled();
    void summaryWindows_data();
    void summaryWindows();
};
