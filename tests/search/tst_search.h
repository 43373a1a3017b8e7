#pragma once

#include <QObject>

// The search: its conditions and marking run on a real catalogue, the search window and the
// scope picker.
class TstSearch : public QObject
{
    Q_OBJECT

private slots:
    // ConditionTests.cpp
    void marking_data();
    void marking();
    void failedSearchKeepsMarks_data();
    void failedSearchKeepsMarks();
    void dateBox_data();
    void dateBox();
    void monthBefore_data();
    void monthBefore();

    // WindowTests.cpp
    void windowLoad();
    void boxFilters_data();
    void boxFilters();
    void focusSelectsAll();
    void tabOrderAndAccelerators();
    void closeWithoutSearch_data();
    void closeWithoutSearch();
    void searchMarksAndCloses_data();
    void searchMarksAndCloses();
    void refusedPatternKeepsWindowOpen();
    void referenceAddsPlaceOnce();

    // PickerTests.cpp
    void pickerTree();
    void pickerOkRule_data();
    void pickerOkRule();
    void pickerResults_data();
    void pickerResults();
};
