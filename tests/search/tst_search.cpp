#include "tst_search.h"

#include <QTest>

QTEST_MAIN(TstSearch)
