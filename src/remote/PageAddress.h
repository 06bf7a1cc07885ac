#pragma once
// Where a phone finds the panel page: the address the interface listens on
// as another machine reaches it (the page's whole address is
// platform::control::pageUrl).

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>

namespace remote {

// The host a phone (or this machine's browser) writes in the page's
// address: 127.0.0.1 on loopback, the address itself when one was chosen,
// and for an "any" address one of `machine`'s own addresses of its kind:
// for 0.0.0.0 the first on a private network (192.168.x.x, 10.x.x.x,
// 172.16-31.x.x), else any other that is not link-local; for :: a global
// IPv6 address, else a unique local one; failing all, the loopback address.
QString pageHost(const QString& listen, const QList<QHostAddress>& machine);

// This machine's addresses on the interfaces that are up, loopback aside.
QList<QHostAddress> machineAddresses();

} // namespace remote
