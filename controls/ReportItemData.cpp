#include "controls/ReportItemData.h"

namespace {

int g_nLiveRecords = 0;

} // namespace

CReportItemData::CReportItemData() {
    ++g_nLiveRecords;
}

CReportItemData::~CReportItemData() {
    --g_nLiveRecords;
}

int CReportItemData::LiveCount() {
    return g_nLiveRecords;
}
