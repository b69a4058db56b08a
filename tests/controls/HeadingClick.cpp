#include "tests/controls/HeadingClick.h"

#include "controls/ReportCtrl.h"

#include <QTest>

void ClickHeading(CReportCtrl& list, int column) {
    auto& header = list.GetReportHeader();
    QTest::mouseClick(header.viewport(), Qt::LeftButton, {},
                      QPoint(header.sectionViewportPosition(column) + 5, header.height() / 2));
}
