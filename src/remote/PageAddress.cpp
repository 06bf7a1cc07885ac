#include "remote/PageAddress.h"

#include "platform/ControlFile.h"

#include <QNetworkInterface>
#include <algorithm>

namespace remote {

namespace {

bool isPrivateIPv4(const QHostAddress& a) {
    return a.isInSubnet(QHostAddress(QStringLiteral("10.0.0.0")), 8) ||
           a.isInSubnet(QHostAddress(QStringLiteral("172.16.0.0")), 12) ||
           a.isInSubnet(QHostAddress(QStringLiteral("192.168.0.0")), 16);
}

bool usable(const QHostAddress& a) {
    return !a.isNull() && !a.isLoopback() && !a.isLinkLocal() && !a.isMulticast();
}

} // namespace

QString pageHost(const QString& listen, const QList<QHostAddress>& machine) {
    namespace pc = platform::control;
    if (pc::isLoopbackListen(listen)) return pc::kLoopbackListen;
    const QHostAddress chosen(listen.trimmed());
    const bool anyIPv4 = chosen == QHostAddress(QHostAddress::AnyIPv4);
    const bool anyIPv6 = chosen == QHostAddress(QHostAddress::AnyIPv6);
    if (!anyIPv4 && !anyIPv6) return pc::clientHost(listen);

    const auto first = [&](auto&& wanted) -> QString {
        const auto it = std::find_if(machine.begin(), machine.end(), wanted);
        return it == machine.end() ? QString() : it->toString();
    };
    const auto v4 = [](const QHostAddress& a) { return a.protocol() == QAbstractSocket::IPv4Protocol; };
    QString host;
    if (anyIPv6)
        host = first([](const QHostAddress& a) {
            return a.protocol() == QAbstractSocket::IPv6Protocol && usable(a) && !a.isUniqueLocalUnicast();
        });
    if (host.isEmpty() && anyIPv6)
        host = first([](const QHostAddress& a) { return a.protocol() == QAbstractSocket::IPv6Protocol && usable(a); });
    // An IPv6 listener takes no IPv4 clients: only its own kind.
    if (host.isEmpty() && anyIPv4) host = first([&](const QHostAddress& a) { return v4(a) && isPrivateIPv4(a); });
    if (host.isEmpty() && anyIPv4) host = first([&](const QHostAddress& a) { return v4(a) && usable(a); });
    if (host.isEmpty()) host = pc::clientHost(listen);
    return host;
}

QList<QHostAddress> machineAddresses() {
    QList<QHostAddress> out;
    for (const QNetworkInterface& nic : QNetworkInterface::allInterfaces()) {
        const auto flags = nic.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::IsRunning) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& entry : nic.addressEntries()) out.append(entry.ip());
    }
    return out;
}

} // namespace remote
