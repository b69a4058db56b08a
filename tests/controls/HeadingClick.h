#pragma once

class CReportCtrl;

/// Clicks the heading of `column` with the left mouse button, as the user does.
void ClickHeading(CReportCtrl& list, int column);
