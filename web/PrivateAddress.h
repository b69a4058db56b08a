#pragma once

#include <QHostAddress>
#include <QList>

/// The home network: the only addresses the phone page listens on and answers.
class CPrivateAddress {
public:
    /// 127/8, 10/8, 172.16/12, 192.168/16, ::1, fe80::/10, fc00::/7; an IPv4 address
    /// mapped into IPv6 counts as the IPv4 address it carries.
    static bool IsPrivate(const QHostAddress& address);
    /// This computer's private IPv4 addresses on interfaces that are up, loopback last.
    static QList<QHostAddress> LocalIPv4();
};
