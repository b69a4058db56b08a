// Phone page benchmark: one record sent from a paired phone over HTTPS on 127.0.0.1, on a
// kept-alive connection, against adding the same record the way the entry window does.
//
//   BM_PhoneSubmit  wall time of one 记一笔 from the phone (TLS, the request decoded and
//                   checked, the submission id looked up, the record and its submission
//                   written in one transaction, the page rendered), both ends in this
//                   process; ratio = that / one add through the entry window's code path
//                   (a table opened, AddNew, the five fields, Update) on the same ledger,
//                   in the same run (at most 3 meets the target).

#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/StarterDatabase.h"
#include "web/PhoneService.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QRegularExpression>
#include <QSslSocket>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <stdexcept>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// Runs the event loop until `done` holds: server and client share this thread.
template <typename Done>
void Pump(Done done) {
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (!done()) {
        if (Clock::now() > deadline)
            throw std::runtime_error("the phone page did not answer");
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
}

class Phone {
public:
    Phone(quint16 port, const QSslCertificate& authority, std::string device)
        : m_device(std::move(device)) {
        QSslConfiguration tls = m_socket.sslConfiguration();
        tls.setCaCertificates({authority});
        m_socket.setSslConfiguration(tls);
        m_socket.connectToHostEncrypted(QStringLiteral("127.0.0.1"), port);
        Pump([this] { return m_socket.isEncrypted(); });
        const QByteArray page = Send("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nCookie: " + Cookies() + "\r\n\r\n");
        m_csrf = QRegularExpression(QStringLiteral("name=\"csrf\" value=\"([^\"]+)\""))
                     .match(QString::fromUtf8(page)).captured(1).toStdString();
        if (m_csrf.empty() || m_session.empty())
            throw std::runtime_error("the phone did not get its page");
    }

    // One 记一笔; true when the page said the record was added.
    bool Submit(int nNumber) {
        const std::string body = "csrf=" + m_csrf + "&submission=bench-submission-" +
                                 std::to_string(nNumber) +
                                 "&kind=pay&amount=12.50&member=%E5%A6%88%E5%A6%88"
                                 "&payItem=%E9%A4%90%E9%A5%AE&when=2020-01-01T12%3A00&note=bench";
        const QByteArray answer = Send("POST /add HTTP/1.1\r\nHost: 127.0.0.1\r\nCookie: " + Cookies() +
                                       "\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                                       "Content-Length: " + QByteArray::number(qsizetype(body.size())) +
                                       "\r\n\r\n" + QByteArray::fromStdString(body));
        return answer.contains("数据添加成功！");
    }

private:
    QByteArray Cookies() const {
        QByteArray cookies = "__Host-coffer_device=" + QByteArray::fromStdString(m_device);
        if (!m_session.empty())
            cookies += "; __Host-coffer_session=" + QByteArray::fromStdString(m_session);
        return cookies;
    }

    QByteArray Send(const QByteArray& request) {
        m_socket.write(request);
        QByteArray answer;
        Pump([&] {
            answer += m_socket.readAll();
            const qsizetype end = answer.indexOf("\r\n\r\n");
            const qsizetype length = answer.indexOf("Content-Length: ");
            if (end < 0 || length < 0)
                return false;
            const qsizetype size =
                answer.mid(length + 16, answer.indexOf("\r\n", length) - length - 16).toLongLong();
            return answer.size() >= end + 4 + size;
        });
        const QRegularExpressionMatch session =
            QRegularExpression(QStringLiteral("__Host-coffer_session=([^;]+);")).match(QString::fromUtf8(answer));
        if (session.hasMatch())
            m_session = session.captured(1).toStdString();
        return answer;
    }

    QSslSocket m_socket;
    std::string m_device;
    std::string m_session;
    std::string m_csrf;
};

// The entry window's add: the record table opened, one new row, five fields, Update.
void AddAsTheEntryWindowDoes(CADODatabase& db) {
    CADORecordset rs(&db);
    if (!rs.Open("normalPay", CADORecordset::ModeTable))
        throw std::runtime_error("the record table does not open");
    rs.AddNew();
    rs.SetFieldValue("支出人员", std::string("妈妈"));
    rs.SetFieldValue("支出项目", std::string("餐饮"));
    rs.SetFieldValue("支出金额", 12.5);
    rs.SetFieldValue("支出日期", COleDateTime(2020, 1, 1, 12, 0, 0));
    rs.SetFieldValue("备注", std::string("bench"));
    if (!rs.Update())
        throw std::runtime_error("the record was not added");
    rs.Close();
}

void BM_PhoneSubmit(benchmark::State& state) {
    QTemporaryDir folder;
    const std::string ledger = folder.filePath(QStringLiteral("data.mdb")).toStdString();
    std::string error;
    if (!CreateStarterDatabase(ledger, error))
        throw std::runtime_error(error);
    const std::string connection = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + ledger;
    CPhoneService service(folder.filePath(QStringLiteral("config")).toStdString(), connection);
    if (!service.Start(0, {QHostAddress(QHostAddress::LocalHost)}, error))
        throw std::runtime_error(error);
    std::string deviceId;
    const std::string token =
        service.Store().Pair("root", "bench", QDateTime::currentSecsSinceEpoch(), deviceId);
    Phone phone(service.Port(), service.Certificates().Authority(), token);
    CADODatabase db;
    db.SetConnectionString(connection);
    if (!db.Open())
        throw std::runtime_error("the ledger does not open");

    double phoneSeconds = 0;
    double entrySeconds = 0;
    int number = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        if (!phone.Submit(++number))
            state.SkipWithError("the phone's record was not added");
        phoneSeconds += std::chrono::duration<double>(Clock::now() - start).count();
        state.PauseTiming();
        start = Clock::now();
        AddAsTheEntryWindowDoes(db);
        entrySeconds += std::chrono::duration<double>(Clock::now() - start).count();
        state.ResumeTiming();
    }
    state.counters["ratio"] = phoneSeconds / entrySeconds;
    state.counters["phone_ms"] = phoneSeconds * 1000 / static_cast<double>(state.iterations());
    state.counters["entry_ms"] = entrySeconds * 1000 / static_cast<double>(state.iterations());
}

} // namespace

BENCHMARK(BM_PhoneSubmit)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
