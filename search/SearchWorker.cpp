#include "search/SearchWorker.h"

#include "data/ADODatabase.h"
#include "data/EngineErrorText.h"
#include "search/SearchIndex.h"

#include <utility>

CSearchWorker::CSearchWorker(std::string strConnection, Done done)
    : m_strConnection(std::move(strConnection)), m_done(std::move(done)),
      m_thread([this] { Run(); }) {
}

CSearchWorker::~CSearchWorker() {
    {
        const std::lock_guard lock(m_mutex);
        m_bStop = true;
        ++m_nNewest; // the running search stops at its next row
    }
    m_wake.notify_one();
    m_thread.join();
}

void CSearchWorker::Ask(SearchRequest request) {
    {
        const std::lock_guard lock(m_mutex);
        m_nNewest = request.nTicket;
        m_pending = std::move(request);
    }
    m_wake.notify_one();
}

void CSearchWorker::Run() {
    CADODatabase db;
    db.SetConnectionString(m_strConnection);
    for (;;) {
        SearchRequest request;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_bStop || m_pending; });
            if (m_bStop)
                return;
            request = std::move(*m_pending);
            m_pending.reset();
        }
        SearchAnswer answer = Answer(request, db);
        if (answer.nTicket == m_nNewest)
            m_done(std::move(answer));
    }
}

SearchAnswer CSearchWorker::Answer(const SearchRequest& request, CADODatabase& db) {
    SearchAnswer answer;
    answer.nTicket = request.nTicket;
    try {
        if (!db.IsOpen() && !db.Open()) {
            answer.strError = db.GetErrorDescription();
            return answer;
        }
        if (!m_bIndexChecked) {
            m_bIndexChecked = true;
            // Making the index of a large ledger takes a while: the window says so.
            if (CSearchIndex::Inspect(db) != CSearchIndex::Ready) {
                SearchAnswer notice;
                notice.nTicket = request.nTicket;
                notice.bIndexing = true;
                m_done(std::move(notice));
            }
            m_bIndexReady = CSearchIndex::Ensure(db, m_strIndexError) ||
                            CSearchIndex::Inspect(db) == CSearchIndex::Ready;
        }
        const unsigned nTicket = request.nTicket;
        answer.rows = CSearchRecords::Find(db, request.strText, request.span, m_bIndexReady,
                                           [this, nTicket] { return m_nNewest != nTicket; });
        answer.strError = std::exchange(m_strIndexError, {});
    } catch (...) {
        // Told as the windows tell an engine error; the next search tries again.
        if (!DescribeEngineError(std::current_exception(), answer.strError))
            answer.strError = "搜索失败！";
        answer.rows.clear();
    }
    return answer;
}
