#include "platform/ProgramIdentity.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using platform::identityFromArgv0;
using platform::modelFromFileName;

TEST(ProgramIdentity, ModelIsTheNameTheProgramWasStartedUnder) {
    // A link or copy under another name is another model, and its folder is
    // where the link sits, not where it points.
    auto id = identityFromArgv0(QStringLiteral("/opt/bus/LED-84"), QStringLiteral("/usr/lib/ferrotab/ferrotab"));
    EXPECT_EQ(id.model, QStringLiteral("LED-84"));
    EXPECT_EQ(id.folder, QStringLiteral("/opt/bus"));

    id = identityFromArgv0(QStringLiteral("C:\\Bus\\Fare.exe"), QString());
    EXPECT_EQ(id.model, QStringLiteral("Fare"));

    // Whatever the extension, it goes.
    id = identityFromArgv0(QStringLiteral("/x/LED-9.bin"), QString());
    EXPECT_EQ(id.model, QStringLiteral("LED-9"));

    // Started through PATH: the folder of the running executable.
    id = identityFromArgv0(QStringLiteral("ferrotab"), QStringLiteral("/usr/local/bin/ferrotab"));
    EXPECT_EQ(id.model, QStringLiteral("ferrotab"));
    EXPECT_EQ(id.folder, QStringLiteral("/usr/local/bin"));
    id = identityFromArgv0(QStringLiteral("LED-9.bin"), QStringLiteral("/usr/local/bin/LED-9.bin"));
    EXPECT_EQ(id.model, QStringLiteral("LED-9"));

    // Nothing to go by: the program's own name.
    id = identityFromArgv0(QString(), QString());
    EXPECT_EQ(id.model, QStringLiteral("ferrotab"));
    id = identityFromArgv0(QStringLiteral("/x/.exe"), QString());
    EXPECT_EQ(id.model, QStringLiteral(".exe"));
}

TEST(ProgramIdentity, OnlyTheLastExtensionGoes) {
    EXPECT_EQ(modelFromFileName(QStringLiteral("LED-9.bin")), QStringLiteral("LED-9"));
    EXPECT_EQ(modelFromFileName(QStringLiteral("LED-9.EXE")), QStringLiteral("LED-9"));
    EXPECT_EQ(modelFromFileName(QStringLiteral("LED-9.v2.exe")), QStringLiteral("LED-9.v2"));
    EXPECT_EQ(modelFromFileName(QStringLiteral("LED.84")), QStringLiteral("LED"));
    EXPECT_EQ(modelFromFileName(QStringLiteral("LED-84")), QStringLiteral("LED-84"));
    EXPECT_EQ(modelFromFileName(QStringLiteral("LED-9.")), QStringLiteral("LED-9"));
    EXPECT_EQ(modelFromFileName(QStringLiteral("運賃表示器.exe")), QStringLiteral("運賃表示器"));
    // A name that starts with its only dot has no extension.
    EXPECT_EQ(modelFromFileName(QStringLiteral(".ferrotab")), QStringLiteral(".ferrotab"));
    EXPECT_EQ(modelFromFileName(QString()), QString());
}
