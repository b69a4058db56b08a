#include "web/PrivateAddress.h"

#include <QNetworkInterface>

bool CPrivateAddress::IsPrivate(const QHostAddress& address) {
    bool bIPv4 = false;
    const quint32 v4 = address.toIPv4Address(&bIPv4);
    if (bIPv4) {
        return (v4 >> 24) == 127 || (v4 >> 24) == 10 || (v4 >> 20) == ((172u << 4) | 1u) ||
               (v4 >> 16) == ((192u << 8) | 168u);
    }
    if (address.protocol() != QAbstractSocket::IPv6Protocol)
        return false;
    if (address.isLoopback())
        return true;
    const Q_IPV6ADDR v6 = address.toIPv6Address();
    return (v6[0] == 0xfe && (v6[1] & 0xc0) == 0x80) || (v6[0] & 0xfe) == 0xfc;
}

QList<QHostAddress> CPrivateAddress::LocalIPv4() {
    QList<QHostAddress> home;
    QList<QHostAddress> loopback;
    for (const QNetworkInterface& face : QNetworkInterface::allInterfaces()) {
        if (!face.flags().testFlag(QNetworkInterface::IsUp))
            continue;
        for (const QNetworkAddressEntry& entry : face.addressEntries()) {
            const QHostAddress address = entry.ip();
            if (address.protocol() != QAbstractSocket::IPv4Protocol || !IsPrivate(address))
                continue;
            (address.isLoopback() ? loopback : home).append(address);
        }
    }
    return home + loopback;
}
