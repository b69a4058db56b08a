#include "platform/ado/pg/PgSession.h"

#include "platform/ado/JetSql.h"
#include "platform/ado/ServerWait.h"
#include "platform/ado/pg/PgError.h"

#include <libpq-fe.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <future>
#include <optional>
#include <thread>

namespace ado {
namespace {

constexpr int kRetries = 4;

std::atomic<long long> g_statementMs{30000};
std::atomic<ServerWait*> g_wait{nullptr};

// How long a cancelled statement's server may take to say so before it is given up.
constexpr std::chrono::milliseconds kCancelGrace{2000};
// How often the one waiting is told.
constexpr std::chrono::milliseconds kWaitSlice{100};

using Clock = std::chrono::steady_clock;

// Tells the one waiting that the wait is over, however it ends.
class WaitEnd {
public:
    ~WaitEnd() {
        if (m_told)
            m_told->Done();
    }
    ServerWait* m_told = nullptr;
};

// The server reports its own cancellation first; the session waits that much longer.
std::chrono::milliseconds AnswerLimit() {
    const long long limit = g_statementMs.load();
    return std::chrono::milliseconds(limit + limit / 4 + 1000);
}

// What the server answered so far: the last result, or the first that failed; late when
// the deadline passed before the answer was whole.
struct Answer {
    PgResultPtr result;
    bool late = false;
};

// Reads the answer to what was sent until it is whole, the connection breaks (Finish then
// reports it lost) or the deadline passes; a 取消 may bring the deadline nearer meanwhile.
Answer ReadAnswer(pg_conn* conn, Answer answer, const std::atomic<Clock::rep>& deadline) {
    for (;;) {
        while (PQisBusy(conn)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                Clock::time_point(Clock::duration(deadline.load())) - Clock::now());
            if (left.count() <= 0) {
                answer.late = true;
                return answer;
            }
            pollfd socket{PQsocket(conn), POLLIN, 0};
            const int ready =
                ::poll(&socket, 1, static_cast<int>(std::min(left, kWaitSlice).count()));
            if ((ready < 0 && errno != EINTR) || (ready > 0 && !PQconsumeInput(conn)))
                return answer;
        }
        PgResultPtr next(PQgetResult(conn));
        if (!next)
            return answer;
        const ExecStatusType status = PQresultStatus(next.get());
        if (!answer.result || (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) ||
            PQresultStatus(answer.result.get()) == PGRES_COMMAND_OK ||
            PQresultStatus(answer.result.get()) == PGRES_TUPLES_OK)
            answer.result = std::move(next);
    }
}

// Runs work on a thread of its own while the caller's thread tells the one waiting every
// slice, so that the windows stay drawn and a waiting window can take its 取消 whatever the
// work blocks in. When the one waiting gives up, giveUp says whether to go on waiting (true)
// or to leave the work to finish alone (false: nothing is returned).
template <class Result, class Work, class GiveUp>
std::optional<Result> AwayFromCaller(Work work, ServerWait& wait, Clock::time_point start,
                                     WaitEnd& end, GiveUp giveUp) {
    std::packaged_task<Result()> task(std::move(work));
    std::future<Result> done = task.get_future();
    std::thread worker(std::move(task));
    // Whatever ends the wait, the work's thread is not left running unowned by accident.
    struct Joined {
        std::thread& thread;
        ~Joined() {
            if (thread.joinable())
                thread.join();
        }
    } joined{worker};
    bool gaveUp = false;
    while (done.wait_for(kWaitSlice) != std::future_status::ready) {
        end.m_told = &wait;
        const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
        if (!wait.Waiting(waited) && !gaveUp) {
            gaveUp = true;
            if (!giveUp()) {
                worker.detach();
                return std::nullopt;
            }
        }
    }
    worker.join();
    return done.get();
}

} // namespace

void SetServerWait(ServerWait* wait) {
    g_wait = wait;
}

void PgSession::SetStatementTimeout(std::chrono::milliseconds limit) {
    g_statementMs = limit.count();
}

PgSession::PgSession(std::string uri, std::string location)
    : m_uri(std::move(uri)), m_location(std::move(location)) {
    Connect();
}

void PgSession::Connect() {
    m_prepared.clear();
    m_locked.clear();
    m_inTransaction = false;
    m_conn = ConnectAwayFromCaller();
    if (!m_conn || PQstatus(m_conn.get()) != CONNECTION_OK) {
        const ComError error = PgError::FromConnect(m_conn.get(), m_location);
        m_conn.reset();
        throw error;
    }
    m_lost = false;
    // The server's notices are for a person at a console; the program has none.
    PQsetNoticeProcessor(
        m_conn.get(), [](void*, const char*) {}, nullptr);
    // A table another copy holds locked for long, and a statement that takes too long, are
    // reported instead of freezing the window; a cancelled statement leaves nothing behind.
    Query("SET lock_timeout TO '20s'");
    Query("SET statement_timeout TO " + std::to_string(g_statementMs.load()));
}

PgConnPtr PgSession::ConnectAwayFromCaller() {
    ServerWait* wait = g_wait.load();
    if (!wait)
        return ConnectTo(m_uri);
    WaitEnd end;
    std::optional<PgConnPtr> conn = AwayFromCaller<PgConnPtr>(
        [uri = m_uri] { return ConnectTo(uri); }, *wait, Clock::now(), end,
        [] { return false; }); // a connection under way cannot be called off: leave it be
    if (!conn)
        throw PgError::Make(E_FAIL, "没有等账本服务器接受连接，已经取消！（" + m_location + "）");
    return std::move(*conn);
}

void PgSession::EnsureConnected() {
    // While a statement waits, the windows are served: one of them may try this connection
    // again, which cannot take a second statement before the first is answered.
    if (m_waiting)
        throw PgError::Make(E_FAIL, "账本服务器还在做上一件事，请等它做完再试！");
    if (m_lost || !m_conn || PQstatus(m_conn.get()) != CONNECTION_OK)
        Connect();
}

void PgSession::Close() {
    if (!m_conn)
        return;
    // An open transaction ends with the connection: the server rolls it back, also one that
    // no longer answers.
    m_inTransaction = false;
    m_prepared.clear();
    m_conn.reset();
}

PgResultPtr PgSession::Finish(PgResultPtr result, bool& retry, int attempt) {
    retry = false;
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
        return result;
    if (PQstatus(m_conn.get()) != CONNECTION_OK) {
        // Whatever was open on the server is gone with the connection.
        m_lost = true;
        m_inTransaction = false;
        m_locked.clear();
        throw PgError::Lost(m_conn.get(), m_location);
    }
    const std::string state = PgError::State(result.get());
    if ((state == "40001" || state == "40P01") && !m_inTransaction && attempt < kRetries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20 * (attempt + 1)));
        retry = true;
        return nullptr;
    }
    throw PgError::FromResult(result.get(), m_conn.get());
}

PgResultPtr PgSession::Retrying(const Params& params, const Send& send) {
    std::vector<const char*> values;
    for (const auto& param : params)
        values.push_back(param ? param->c_str() : nullptr);
    for (int attempt = 0;; ++attempt) {
        EnsureConnected();
        bool retry = false;
        PgResultPtr result =
            Finish(Await(send(values.data(), static_cast<int>(values.size()))), retry, attempt);
        if (!retry)
            return result;
    }
}

PgResultPtr PgSession::Await(bool sent) {
    pg_conn* conn = m_conn.get();
    if (!sent)
        return PgResultPtr(PQgetResult(conn));
    const auto start = Clock::now();
    std::atomic<Clock::rep> deadline{(start + AnswerLimit()).time_since_epoch().count()};
    WaitEnd end;
    m_waiting = true;
    struct Unmark {
        bool& flag;
        ~Unmark() { flag = false; }
    } unmark{m_waiting};
    // Most answers come at once; only a statement that keeps the caller waiting is handed
    // to a thread of its own, so short ones cost no thread.
    std::atomic<Clock::rep> firstSlice{
        std::min(deadline.load(), (start + kWaitSlice).time_since_epoch().count())};
    Answer answer = ReadAnswer(conn, Answer{}, firstSlice);
    ServerWait* wait = g_wait.load();
    if (answer.late && Clock::now() < Clock::time_point(Clock::duration(deadline.load()))) {
        auto rest = [conn, &deadline, partial = std::move(answer)]() mutable {
            partial.late = false;
            return ReadAnswer(conn, std::move(partial), deadline);
        };
        if (!wait) {
            answer = rest();
        } else {
            bool cancelled = false;
            answer = *AwayFromCaller<Answer>(std::move(rest), *wait, start, end, [&] {
                // The server cancels the statement and says so (nothing of it is kept); one
                // that does not answer that either is given up soon.
                if (!cancelled) {
                    cancelled = true;
                    if (PGcancel* cancel = PQgetCancel(conn)) {
                        char error[256];
                        PQcancel(cancel, error, sizeof error);
                        PQfreeCancel(cancel);
                    }
                    const Clock::rep soon = (Clock::now() + kCancelGrace).time_since_epoch().count();
                    if (soon < deadline.load())
                        deadline = soon;
                }
                return true; // the server's word on it is still awaited
            });
        }
    }
    if (answer.late)
        Abandon();
    return std::move(answer.result);
}

void PgSession::Abandon() {
    // Dropping the connection ends whatever the server was doing for it: an open transaction
    // is rolled back whole, and a statement the server runs past its limit it cancels itself,
    // so nothing is left half-written.
    m_conn.reset();
    m_lost = true;
    m_inTransaction = false;
    m_locked.clear();
    m_prepared.clear();
    throw PgError::Timeout(m_location, static_cast<int>((AnswerLimit().count() + 999) / 1000));
}

PgResultPtr PgSession::Query(const std::string& sql, const Params& params) {
    return Retrying(params, [&](const char* const* values, int count) {
        return PQsendQueryParams(m_conn.get(), sql.c_str(), count, nullptr, values, nullptr,
                                 nullptr, 0) == 1;
    });
}

PgResultPtr PgSession::QueryBinary(const std::string& sql) {
    return Retrying({}, [&](const char* const* values, int count) {
        return PQsendQueryParams(m_conn.get(), sql.c_str(), count, nullptr, values, nullptr,
                                 nullptr, 1) == 1;
    });
}

PgResultPtr PgSession::Prepared(const std::string& sql, const Params& params) {
    return Retrying(params, [&](const char* const* values, int count) {
        auto found = m_prepared.find(sql);
        if (found == m_prepared.end()) {
            const std::string name = "coffer_" + std::to_string(m_prepared.size() + 1);
            bool retry = false;
            Finish(Await(PQsendPrepare(m_conn.get(), name.c_str(), sql.c_str(), 0, nullptr) == 1),
                   retry, kRetries);
            found = m_prepared.emplace(sql, name).first;
        }
        return PQsendQueryPrepared(m_conn.get(), found->second.c_str(), count, values, nullptr,
                                   nullptr, 0) == 1;
    });
}

PgResultPtr PgSession::DescribeStatement(const std::string& sql) {
    EnsureConnected();
    bool retry = false;
    Finish(Await(PQsendPrepare(m_conn.get(), "", sql.c_str(), 0, nullptr) == 1), retry, kRetries);
    return Finish(Await(PQsendDescribePrepared(m_conn.get(), "") == 1), retry, kRetries);
}

void PgSession::LockForTransaction(const std::string& table) {
    if (!m_inTransaction || !m_locked.insert(JetSql::FoldAscii(table)).second)
        return;
    // Share row exclusive: other copies still read, but wait with every change and every
    // new row until this transaction ends; two such transactions take turns.
    Query("LOCK TABLE " + JetSql::QuoteFolded(table) + " IN SHARE ROW EXCLUSIVE MODE");
}

void PgSession::Begin() {
    Query("BEGIN");
    m_inTransaction = true;
    m_locked.clear();
}

void PgSession::Commit() {
    if (!m_inTransaction)
        throw PgError::Make(E_FAIL, "No transaction is open on the ledger server " + m_location +
                                        "; its changes were not kept.");
    PgResultPtr result = Query("COMMIT");
    m_inTransaction = false;
    m_locked.clear();
    // A transaction that failed part-way ends in a rollback, which COMMIT does not report.
    if (std::string(PQcmdStatus(result.get())) != "COMMIT")
        throw PgError::Make(E_FAIL, "The ledger server " + m_location +
                                        " rolled the transaction back; its changes were not "
                                        "kept.");
}

void PgSession::Rollback() {
    if (!m_inTransaction)
        return; // gone with a lost connection, or never begun
    m_inTransaction = false;
    m_locked.clear();
    // A server that cannot be reached has dropped the transaction with the connection.
    if (!m_conn)
        return;
    PgResultPtr result;
    try {
        result = Await(PQsendQuery(m_conn.get(), "ROLLBACK") == 1);
    } catch (const ComError&) {
        return; // not answering: dropped, and the transaction with it
    }
    if (PQstatus(m_conn.get()) != CONNECTION_OK) {
        m_lost = true;
        return;
    }
    if (PQresultStatus(result.get()) != PGRES_COMMAND_OK)
        throw PgError::FromResult(result.get(), m_conn.get());
}

} // namespace ado
