// coffer-serve [--port N] [--pair] [--listen ADDRESS] [LEDGER]: serves the phone page
// without the desktop, for a home server beside the ledger.

#include "CofferVersion.h"
#include "plan/PlanHooks.h"
#include "web/PhoneCertificates.h"
#include "web/PhoneQrCode.h"
#include "web/PhoneService.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>
#include <string>

namespace {

void Usage(FILE* to) {
    std::fprintf(to, "usage: coffer-serve [--port N] [--pair] [--listen ADDRESS] [LEDGER]\n"
                     "Serves the phone page (HTTPS) on this computer's private addresses for\n"
                     "LEDGER: a ledger file or a postgresql:// URI (default: the household\n"
                     "ledger). --pair prints a one-time pairing address (valid 5 minutes) and\n"
                     "its QR code; --listen serves one private address only.\n");
}

bool ReadPort(const std::string& text, quint16& nPort) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const int value = std::stoi(text);
    if (value < 1 || value > 65535)
        return false;
    nPort = static_cast<quint16>(value);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bool bPair = false;
    quint16 nPort = 0;
    QList<QHostAddress> addresses;
    std::string ledger = "data.mdb";
    bool bLedgerGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--version") {
            std::printf("coffer-serve %s\n", kCofferVersion);
            return 0;
        }
        if (argument == "-h" || argument == "--help") {
            Usage(stdout);
            return 0;
        }
        if (argument == "--pair") {
            bPair = true;
        } else if (argument == "--port" && i + 1 < argc) {
            if (!ReadPort(argv[++i], nPort)) {
                std::fprintf(stderr, "coffer-serve: not a port: %s\n", argv[i]);
                return 1;
            }
        } else if (argument == "--listen" && i + 1 < argc) {
            const QHostAddress address(QString::fromLocal8Bit(argv[++i]));
            if (address.isNull()) {
                std::fprintf(stderr, "coffer-serve: not an address: %s\n", argv[i]);
                return 1;
            }
            addresses.append(address);
        } else if (argument.size() > 1 && argument[0] == '-') {
            std::fprintf(stderr, "coffer-serve: unknown option %s\n", argument.c_str());
            Usage(stderr);
            return 1;
        } else if (!bLedgerGiven) {
            ledger = argument;
            bLedgerGiven = true;
        } else {
            Usage(stderr);
            return 1;
        }
    }

    // The over-budget line of an expense, as the windows give it.
    CPlanHooks::Install();
    CPhoneService service(CPhoneCertificates::DefaultFolder(),
                          "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + ledger);
    std::string error;
    if (!service.Start(nPort != 0 ? nPort : service.Store().Port(), addresses, error)) {
        std::fprintf(stderr, "coffer-serve: %s\n", error.c_str());
        return 1;
    }
    for (const std::string& url : service.PageAddresses())
        std::printf("手机记账: %s\n", url.c_str());
    std::printf("证书指纹 (SHA-256): %s\n", service.Certificates().Fingerprint().c_str());
    if (bPair) {
        const std::string pairing = service.NewPairingAddress(QDateTime::currentSecsSinceEpoch());
        if (pairing.empty()) {
            std::fprintf(stderr, "coffer-serve: the pairing code cannot be stored\n");
            return 1;
        }
        // One plain line first, so scripts can pair without a camera.
        std::printf("%s\n%s", pairing.c_str(), CPhoneQrCode::TerminalText(pairing).c_str());
    }
    std::fflush(stdout);
    return app.exec();
}
