#include "plan/RecurringWatch.h"

#include "data/ADODatabase.h"
#include "plan/PendingDlg.h"
#include "plan/PlanTexts.h"
#include "plan/RecurringBook.h"
#include "platform/ui/HandlerBoundary.h"
#include "platform/ui/MessageBox.h"

#include <QWidget>

namespace {

const char* const kConnection = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data.mdb";

} // namespace

CRecurringWatch::CRecurringWatch(QWidget* owner) : QObject(owner), m_owner(owner) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CRecurringWatch::OnTimer);
}

void CRecurringWatch::Start() {
    OnTimer();
}

void CRecurringWatch::OnTimer() {
    ui::RunHandler(m_owner, [this] { RunDue(m_owner, COleDateTime::GetCurrentTime()); });
    m_timer.start(MsecsToNextDay(COleDateTime::GetCurrentTime()));
}

int CRecurringWatch::MsecsToNextDay(const COleDateTime& now) {
    const int nSecondsToday = now.GetHour() * 3600 + now.GetMinute() * 60 + now.GetSecond();
    return (86400 - nSecondsToday + 1) * 1000;
}

int CRecurringWatch::RunDue(QWidget* owner, const COleDateTime& now) {
    CADODatabase db;
    db.SetConnectionString(kConnection);
    // A ledger that cannot be opened has been reported by the login already.
    try {
        if (!db.Open())
            return 0;
    } catch (const CADOException&) {
        return 0;
    }
    CRecurringBook book(db);
    std::vector<DueOccurrence> waiting;
    int nMade = 0;
    for (const DueOccurrence& due : book.Due(CPlanDate::FromDateTime(now))) {
        if (!due.tmpl.bAutomatic)
            waiting.push_back(due);
        else if (book.Make(due))
            ++nMade;
    }
    if (nMade > 0)
        ui::MessageBox(owner, CPlanTexts::MadeAutomatically(nMade));
    if (!waiting.empty()) {
        CPendingDlg pending(db, std::move(waiting), owner);
        pending.DoModal();
        nMade += pending.GetMade();
    }
    return nMade;
}
