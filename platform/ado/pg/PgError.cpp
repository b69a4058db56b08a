#include "platform/ado/pg/PgError.h"

#include "platform/ado/pg/ServerLedger.h"

#include <libpq-fe.h>

namespace ado {
namespace {

// The server's messages end in a line feed; descriptions do not.
std::string Trimmed(const char* text) {
    std::string message = text ? text : "";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    return message;
}

} // namespace

const char* const PgError::kSource = "Coffer PostgreSQL Engine";

ComError PgError::Make(HRESULT code, const std::string& description) {
    return ComError(code, kSource, description);
}

std::string PgError::State(pg_result* result) {
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    return state ? state : "";
}

ComError PgError::FromResult(pg_result* result, pg_conn* connection) {
    std::string message =
        result ? Trimmed(PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY)) : std::string();
    if (message.empty())
        message = Trimmed(connection ? PQerrorMessage(connection) : "");
    const std::string state = State(result);
    const std::string cls = state.substr(0, 2);
    if (state == "42P01")
        return Make(DB_E_NOTABLE, "The engine cannot find the table (" + message + ").");
    if (state == "42703")
        return Make(DB_E_PARAMNOTOPTIONAL, "Unknown column (" + message + ").");
    if (cls == "42")
        return Make(DB_E_ERRORSINCOMMAND, "Syntax error in the SQL text (" + message + ").");
    if (cls == "23")
        return Make(DB_E_INTEGRITYVIOLATION,
                    "The change violates a rule of the table (" + message + ").");
    if (cls == "22")
        return Make(DISP_E_TYPEMISMATCH, "Data type mismatch (" + message + ").");
    if (state == "55P03" || state == "40001" || state == "40P01")
        return Make(E_FAIL, "The ledger is busy with another user's change (" + message + ").");
    if (state == "57014")
        return Make(E_FAIL, "账本服务器做这件事用的时间太长，已经取消，什么都没有改动！（" +
                                message + "）");
    return Make(E_FAIL, message);
}

std::string PgError::OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        if (c == '\n' || c == '\t' || c == '\r') {
            if (!line.empty() && line.back() != ' ')
                line += ' ';
        } else {
            line += c;
        }
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

ComError PgError::FromConnect(pg_conn* connection, const std::string& location) {
    const std::string message =
        OneLine(Trimmed(connection ? PQerrorMessage(connection) : "out of memory"));
    return Make(E_FAIL, std::string(ServerLedger::Explain(ServerLedger::Classify(message))) +
                            "（" + location + "：" + message + "）");
}

ComError PgError::Lost(pg_conn* connection, const std::string& location) {
    return Make(E_FAIL, "与账本服务器的连接断了，这次的操作没有完成！下一次操作会重新连接。（" +
                            location + "：" +
                            OneLine(Trimmed(connection ? PQerrorMessage(connection) : "")) + "）");
}

ComError PgError::Timeout(const std::string& location, int seconds) {
    return Make(E_FAIL, "账本服务器 " + std::to_string(seconds) +
                            " 秒没有回答，不再等它了！几笔一起的改动不会只记下一半；"
                            "单笔的改动也许在服务器恢复后才记下，请稍后查看。"
                            "下一次操作会重新连接。（" +
                            location + "）");
}

} // namespace ado
