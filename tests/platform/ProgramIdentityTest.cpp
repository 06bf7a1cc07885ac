#include "platform/ProgramIdentity.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using platform::identityFromArgv0;

TEST(ProgramIdentity, ModelIsTheNameTheProgramWasStartedUnder) {
    // A link or copy under another name is another model, and its folder is
    // where the link sits, not where it points.
    auto id = identityFromArgv0(QStringLiteral("/opt/bus/LED-84"), QStringLiteral("/usr/lib/ferrotab/ferrotab"));
    EXPECT_EQ(id.model, QStringLiteral("LED-84"));
    EXPECT_EQ(id.folder, QStringLiteral("/opt/bus"));

    id = identityFromArgv0(QStringLiteral("C:\\Bus\\Fare.exe"), QString());
    EXPECT_EQ(id.model, QStringLiteral("Fare"));

    // Dots in the name are part of the model; only ".exe" goes.
    id = identityFromArgv0(QStringLiteral("/x/LED.84"), QString());
    EXPECT_EQ(id.model, QStringLiteral("LED.84"));

    // Started through PATH: the folder of the running executable.
    id = identityFromArgv0(QStringLiteral("ferrotab"), QStringLiteral("/usr/local/bin/ferrotab"));
    EXPECT_EQ(id.model, QStringLiteral("ferrotab"));
    EXPECT_EQ(id.folder, QStringLiteral("/usr/local/bin"));
}
