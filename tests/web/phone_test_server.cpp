// The phone page on 127.0.0.1 for the browser and load tests, with the seams they need:
// a clock that can be moved on, answers that can be lost, phones that can be unpaired.
// Usage: phone_test_server FOLDER. Makes FOLDER/data.mdb (a starter ledger), keeps its
// settings in FOLDER/config, prints "port N", then reads commands from stdin, one a line:
//   pair          prints a new pairing address
//   advance N     moves the page's clock N seconds on
//   drop N        the next N answers to a submission are lost (the record is written)
//   revoke        unpairs every phone
//   count         prints the number of records in the ledger
//   pictures      prints the pictures stored and their links to records: "stored links"
//   photo PATH    writes a camera-sized JPEG to PATH, a new picture each time
//   quit

#include "data/ADODatabase.h"
#include "data/ADORecordset.h"
#include "data/StarterDatabase.h"
#include "plan/PlanHooks.h"
#include "web/PhoneService.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QImage>
#include <QSocketNotifier>

#include <cstdio>
#include <initializer_list>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

long CountRows(const std::string& connection, std::initializer_list<const char*> tables) {
    CADODatabase db;
    db.SetConnectionString(connection);
    if (!db.Open())
        return -1;
    long count = 0;
    for (const char* table : tables) {
        CADORecordset rs(&db);
        if (rs.Open(std::string("select count(*) from ") + table, CADORecordset::ModeQuery) &&
            !rs.IsEOF()) {
            double value = 0;
            rs.GetFieldValue(0, value);
            count += static_cast<long>(value);
        }
    }
    return count;
}

// A photo as a phone camera gives it, in a colour of its own.
bool WritePhoto(const std::string& path, int nth) {
    QImage photo(1600, 1200, QImage::Format_RGB32);
    photo.fill(QColor::fromHsv((nth * 67) % 360, 60, 200));
    return photo.save(QString::fromStdString(path), "JPEG", 85);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: phone_test_server FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    const std::string ledger = folder + "/data.mdb";
    std::string error;
    if (!CreateStarterDatabase(ledger, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    CPlanHooks::Install();
    const std::string connection = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + ledger;
    CPhoneService service(folder + "/config", connection);
    if (!service.Start(0, {QHostAddress(QHostAddress::LocalHost)}, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    qint64 shift = 0;
    int dropped = 0;
    service.Site()->SetClock([&shift] { return QDateTime::currentSecsSinceEpoch() + shift; });
    service.Server()->SetHandler([&service, &dropped](const WebRequest& request) {
        WebResponse response = service.Site()->Handle(request);
        if (dropped > 0 && request.strMethod == "POST" && request.strPath == "/add") {
            --dropped;
            response.nStatus = 0;
        }
        return response;
    });
    std::printf("port %u\n", service.Port());
    std::fflush(stdout);

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        std::string line;
        if (!std::getline(std::cin, line) || line == "quit") {
            app.quit();
            return;
        }
        if (line == "pair") {
            std::printf("%s\n", service.NewPairingAddress(QDateTime::currentSecsSinceEpoch() + shift).c_str());
        } else if (line.rfind("advance ", 0) == 0) {
            shift += std::stoll(line.substr(8));
            std::printf("ok\n");
        } else if (line.rfind("drop ", 0) == 0) {
            dropped = std::stoi(line.substr(5));
            std::printf("ok\n");
        } else if (line == "revoke") {
            for (const CPhoneStore::Device& device : service.Store().Devices())
                service.Store().Revoke(device.strId);
            std::printf("ok\n");
        } else if (line == "count") {
            std::printf("%ld\n", CountRows(connection, {"normalPay", "normalIncome"}));
        } else if (line == "pictures") {
            std::printf("%ld %ld\n", CountRows(connection, {"pictureStore"}),
                        CountRows(connection, {"pictureLink"}));
        } else if (line.rfind("photo ", 0) == 0) {
            static int photos = 0;
            std::printf("%s\n", WritePhoto(line.substr(6), ++photos) ? "ok" : "failed");
        } else {
            std::printf("?\n");
        }
        std::fflush(stdout);
    });
    return app.exec();
}
