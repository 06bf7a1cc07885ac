// The address a phone is offered: where the interface listens, and for an
// "any" address this machine's address a phone on the same network reaches.
#include "remote/PageAddress.h"
#include "platform/ControlFile.h"

#include <gtest/gtest.h>

using remote::pageHost;

namespace {
const QByteArray kToken = QByteArrayLiteral("Zm9vYmFyYmF6cXV1eGZvb2JhcmJhenF1dXhmb29iYXI");
}

TEST(PageAddress, ThePageIsOfferedWhereAPhoneReachesIt) {
    const auto a = [](const char* text) { return QHostAddress(QString::fromLatin1(text)); };
    const QList<QHostAddress> machine{a("fe80::1"), a("169.254.3.4"), a("203.0.113.5"), a("192.168.1.20"),
                                      a("fd00::5"), a("2001:db8::5")};
    EXPECT_EQ(pageHost(QStringLiteral("localhost"), machine), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(pageHost(QStringLiteral("10.1.2.3"), machine), QStringLiteral("10.1.2.3"));
    EXPECT_EQ(pageHost(QStringLiteral("0.0.0.0"), machine), QStringLiteral("192.168.1.20")) << "a home network first";
    EXPECT_EQ(pageHost(QStringLiteral("0.0.0.0"), {a("fe80::1"), a("169.254.3.4"), a("203.0.113.5")}),
              QStringLiteral("203.0.113.5"))
        << "never a link-local address";
    EXPECT_EQ(pageHost(QStringLiteral("0.0.0.0"), {}), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(pageHost(QStringLiteral("::"), machine), QStringLiteral("2001:db8::5"));
    EXPECT_EQ(platform::control::pageUrl(QStringLiteral("2001:db8::5"), 50845, kToken),
              QStringLiteral("http://[2001:db8::5]:50845/#token=") + QString::fromLatin1(kToken));
}
