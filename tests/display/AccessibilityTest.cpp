// What a screen reader (or an outside test) reads from the device: each fare
// cell by its name and what it lights, the stop-name strip and its name.
#include "display/ChimeiCtl_B.h"
#include "display/Form1.h"
#include "display/M_Degit.h"
#include "tests/support/FakeSeams.h"

#include <QAccessible>
#include <QLabel>
#include <gtest/gtest.h>

namespace {

QString read(QObject* object, QAccessible::Text what) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(what) : QStringLiteral("<none>");
}

} // namespace

TEST(DeviceAccessibility, FareCellsReadWhatTheyLight) {
    platform::testing::ScopedFakeTime time;
    Form1 form;
    M_Degit* cell = form.Degit[37];
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(cell);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->role(), QAccessible::StaticText);
    EXPECT_EQ(read(cell, QAccessible::Name), QStringLiteral("運賃37"));
    EXPECT_EQ(read(form.Degit[1], QAccessible::Name), QStringLiteral("運賃1"));
    EXPECT_EQ(read(form.Degit[84], QAccessible::Name), QStringLiteral("運賃84"));

    // Zero is unlit in the cell's first zero mode: nothing to read. A shift
    // keeps blanks at the right, which are not read; a character the lamps
    // cannot form lights nothing and reads as the blank it shows. A long
    // value shows, and reads, its last four digits.
    const std::tuple<int, QVariant, QString> rows[] = {
        {0, -1, "-1"}, {0, 0, ""}, {1, 46, "46"}, {1, "1x2", "1 2"}, {0, 40000, "0000"},
    };
    for (const auto& [shift, value, heard] : rows) {
        cell->setShift(std::int16_t(shift));
        cell->setValue(value);
        EXPECT_EQ(read(cell, QAccessible::Description), heard) << value.toString().toStdString();
        // As its value and its text, which screen readers read with the name.
        EXPECT_EQ(read(cell, QAccessible::Value), heard);
        QAccessibleTextInterface* text = face->textInterface();
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->text(0, text->characterCount()), heard);
    }
    cell->ResetDegit(true);
    EXPECT_EQ(read(cell, QAccessible::Description), QStringLiteral("8888"));
    cell->ResetDegit(false);
    EXPECT_EQ(read(cell, QAccessible::Description), QString());
}

TEST(DeviceAccessibility, TheStripReadsTheNameItShows) {
    platform::testing::ScopedFakeTime time;
    Form1 form;
    ChimeiCtl_B* strip = form.ChimeiCtl;
    EXPECT_EQ(read(strip, QAccessible::Name), QStringLiteral("停留所名"));
    EXPECT_EQ(read(strip, QAccessible::Description), QString());
    strip->SetChimei(QStringLiteral("本町"));
    EXPECT_EQ(read(strip, QAccessible::Description), QStringLiteral("本町"));
    strip->SetChimei(QString());
    EXPECT_EQ(read(strip, QAccessible::Description), QString());
    strip->SetChimei(QStringLiteral("市役所前"));
    // A new background blanks the strip until the next name.
    strip->setBackColor(0x000000);
    EXPECT_EQ(read(strip, QAccessible::Description), QString());

    // The ticket labels are labels with their texts.
    form.lblSeiriNum[3]->setText(QStringLiteral("３"));
    QAccessibleInterface* label = QAccessible::queryAccessibleInterface(form.lblSeiriNum[3]);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->role(), QAccessible::StaticText);
    EXPECT_EQ(label->text(QAccessible::Name), QStringLiteral("３"));
}
