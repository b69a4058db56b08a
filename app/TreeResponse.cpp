#include "app/TreeResponse.h"

#include "accounts/BalancesDlg.h"
#include "inquiry/IncomeInquiryDlg.h"
#include "inquiry/PayInquiryDlg.h"
#include "platform/ui/Dialog.h"
#include "records/NormalIncomeDlg.h"
#include "records/NormalPayDlg.h"
#include "search/SearchDlg.h"
#include "stats/StatisticsDlg.h"

#include <new>

namespace {

template <class Dlg> std::unique_ptr<ui::Dialog> Make() {
    return std::make_unique<Dlg>();
}

struct TreeItemDialog {
    const char* text;
    std::unique_ptr<ui::Dialog> (*make)();
};

// Tested in this order; the first exact match wins.
const TreeItemDialog kItemDialogs[] = {
    {"日常收入", &Make<CNormalIncomeDlg>}, {"日常支出", &Make<CNormalPayDlg>},
    {"支出查询", &Make<CPayInquiryDlg>},   {"收入查询", &Make<CIncomeInquiryDlg>},
    {"收支统计", &Make<CStatisticsDlg>},   {"搜索", &Make<CSearchDlg>},
    {"账户余额", &Make<CBalancesDlg>},
};

} // namespace

std::unique_ptr<ui::Dialog> CTreeResponse::CreateDialogForItem(std::string text) const {
    for (const TreeItemDialog& entry : kItemDialogs) {
        if (text != entry.text)
            continue;
        try {
            return entry.make();
        } catch (const std::bad_alloc&) {
            return nullptr; // the double-click then opens nothing
        }
    }
    return nullptr;
}
