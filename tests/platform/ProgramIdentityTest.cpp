#include "platform/ProgramIdentity.h"

#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using platform::identityFromArgv0;
using platform::modelFromFileName;

TEST(ProgramIdentity, ModelIsTheNameTheProgramWasStartedUnder) {
    struct Row {
        const char *argv0, *executable, *model, *folder; // folder: nullptr where it does not matter
    };
    const Row rows[] = {
        // A link or copy under another name is another model, and its folder
        // is where the link sits, not where it points.
        {"/opt/bus/LED-84", "/usr/lib/ferrotab/ferrotab", "LED-84", "/opt/bus"},
        {"C:\\Bus\\Fare.exe", "", "Fare", nullptr},
        {"/x/LED-9.bin", "", "LED-9", nullptr}, // whatever the extension, it goes
        // Started through PATH: the folder of the running executable.
        {"ferrotab", "/usr/local/bin/ferrotab", "ferrotab", "/usr/local/bin"},
        {"LED-9.bin", "/usr/local/bin/LED-9.bin", "LED-9", nullptr},
        // Nothing to go by: the program's own name.
        {"", "", "ferrotab", nullptr},
        {"/x/.exe", "", ".exe", nullptr},
    };
    for (const Row& r : rows) {
        const auto id = identityFromArgv0(QString::fromLatin1(r.argv0), QString::fromLatin1(r.executable));
        EXPECT_EQ(id.model, QString::fromLatin1(r.model)) << r.argv0;
        if (r.folder) {
            EXPECT_EQ(id.folder, QString::fromLatin1(r.folder)) << r.argv0;
        }
    }
}

TEST(ProgramIdentity, OnlyTheLastExtensionGoes) {
    // A name that starts with its only dot has no extension.
    for (const auto& [file, model] : {std::pair{"LED-9.bin", "LED-9"}, {"LED-9.EXE", "LED-9"}, {"LED-9.v2.exe", "LED-9.v2"},
                                      {"LED.84", "LED"}, {"LED-84", "LED-84"}, {"LED-9.", "LED-9"},
                                      {"運賃表示器.exe", "運賃表示器"}, {".ferrotab", ".ferrotab"}, {"", ""}})
        EXPECT_EQ(modelFromFileName(QString::fromUtf8(file)), QString::fromUtf8(model)) << file;
}
