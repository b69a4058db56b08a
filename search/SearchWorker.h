#pragma once

#include "search/SearchRecords.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

/// A search the window asks for; a newer ticket makes an older one worthless.
struct SearchRequest {
    unsigned nTicket = 0;
    std::string strText;
    std::optional<SearchSpan> span;
};

/// What a search found, or why it found nothing.
struct SearchAnswer {
    unsigned nTicket = 0;
    bool bIndexing = false; // not an answer yet: the index is being made first
    std::vector<SearchRow> rows;
    std::string strError;
};

/// Runs searches on a thread of its own with a connection of its own, so that typing never
/// waits for the ledger. Only the newest request counts: one not yet started is replaced,
/// one running is stopped at its next row. Before the first search the worker makes sure
/// the ledger's search index is there.
class CSearchWorker {
public:
    /// Called on the worker's thread with each answer.
    using Done = std::function<void(SearchAnswer)>;

    CSearchWorker(std::string strConnection, Done done);
    /// Stops the search running, if any, and waits for the thread.
    ~CSearchWorker();
    CSearchWorker(const CSearchWorker&) = delete;
    CSearchWorker& operator=(const CSearchWorker&) = delete;

    void Ask(SearchRequest request);

private:
    void Run();
    SearchAnswer Answer(const SearchRequest& request, class CADODatabase& db);

    const std::string m_strConnection;
    const Done m_done;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<SearchRequest> m_pending;
    std::atomic<unsigned> m_nNewest{0};
    bool m_bStop = false;
    bool m_bIndexChecked = false;
    bool m_bIndexReady = false;
    std::string m_strIndexError; // told with the first answer
    std::thread m_thread;
};
