// The resource library's Qt dialogs driven as a user would (a timer finds the
// modal dialog and answers it), and the conversions they rest on.
#include "platform_ui/ResourceLibrary.h"

#include "platform/Cp932.h"
#include "platform_ui/QtColor.h"
#include "tests/support/FakeResourceLibrary.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace ZelP4Res;

namespace {

QByteArray pairs(std::initializer_list<QString> parts) {
    QByteArray bytes;
    for (const QString& p : parts) bytes += cp932::encode(p) + '\0';
    return bytes + '\0';
}

// Runs `answer` on the next modal dialog that opens, once it is up.
void whenDialogOpens(std::function<void(QDialog*)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            answer(dialog);
        }
    });
    timer->start();
}

} // namespace

TEST(ResourceLibraryFilters, PairsBecomeQtFilters) {
    EXPECT_EQ(qtFileFilters(pairs({QStringLiteral("Waveサウンド(*.wav)"), "*.wav", QStringLiteral("MP3サウンド(*.mp3)"),
                                   "*.mp3", QStringLiteral("MIDIシーケンス(*.mid)"), "*.mid"})),
              (QStringList{QStringLiteral("Waveサウンド (*.wav)"), QStringLiteral("MP3サウンド (*.mp3)"),
                           QStringLiteral("MIDIシーケンス (*.mid)")}));
    // Several patterns; the description does not name them; every file.
    EXPECT_EQ(qtFileFilters(pairs({QStringLiteral("画像"), "*.bmp;*.gif; *.jpg", QStringLiteral("すべて"), "*.*"})),
              (QStringList{QStringLiteral("画像 (*.bmp *.gif *.jpg)"), QStringLiteral("すべて (*)")}));
    // A bracket naming other patterns stays part of the description.
    EXPECT_EQ(qtFileFilters(pairs({QStringLiteral("整理券プラグイン(*.4SP)"), "*.4sp"})),
              QStringList{QStringLiteral("整理券プラグイン (*.4sp)")});
    EXPECT_EQ(qtFileFilters(pairs({QStringLiteral("旧形式(*.old)"), "*.dat"})),
              QStringList{QStringLiteral("旧形式(*.old) (*.dat)")});
}

TEST(ResourceLibraryFilters, MalformedListsGiveWhatIsComplete) {
    EXPECT_TRUE(qtFileFilters(QByteArray()).isEmpty());
    EXPECT_TRUE(qtFileFilters(QByteArray("\0\0", 2)).isEmpty());
    // No terminating NULs: the complete pair is kept, the lone description dropped.
    EXPECT_EQ(qtFileFilters(QByteArray("Text\0*.txt\0Lone", 15)), QStringList{"Text (*.txt)"});
    // Parts after the double NUL are not filters.
    EXPECT_EQ(qtFileFilters(QByteArray("A\0*.a\0\0B\0*.b\0\0", 15)), QStringList{"A (*.a)"});
    // A description with no pattern ends the list; a pattern of only
    // separators offers every file.
    EXPECT_EQ(qtFileFilters(QByteArray("Any\0\0", 5)), QStringList{});
    EXPECT_EQ(qtFileFilters(QByteArray("Any\0 ;\0\0", 8)), QStringList{"Any (*)"});
}

TEST(ResourceLibraryColors, ColorRefIsRedInTheLowByte) {
    EXPECT_EQ(platform_ui::toQColor(0x72D2F8), QColor(248, 210, 114));
    EXPECT_EQ(platform_ui::fromQColor(QColor(248, 210, 114)), 0x72D2F8);
    EXPECT_EQ(platform_ui::fromQColor(platform_ui::toQColor(0x00010203)), 0x00010203);
}

TEST(ResourceLibraryColors, SixteenCustomColoursCarriedTheSeventeenthKept) {
    CustomColorTable table{};
    for (int i = 0; i < device::kCustomColorCount; ++i) table[std::size_t(i)] = 0x010101 * (i + 1);
    carryCustomColorsIn(table);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(platform_ui::fromQColor(QColorDialog::customColor(i)), 0x010101 * (i + 1)) << i;

    // The user changes two slots in the chooser.
    QColorDialog::setCustomColor(0, QColor(255, 0, 0));
    QColorDialog::setCustomColor(15, QColor(0, 0, 255));
    CustomColorTable out = table;
    out[16] = 0x123456;
    carryCustomColorsOut(out);
    EXPECT_EQ(out[0], 0x0000FF);
    EXPECT_EQ(out[15], 0xFF0000);
    EXPECT_EQ(out[7], table[7]);
    EXPECT_EQ(out[16], 0x123456);
}

TEST(ResourceLibraryDialogs, ChoosersCancelledChangeNothing) {
    auto library = makeQtResourceLibrary();
    SystemTime date{};
    date.wYear = 1999;
    whenDialogOpens([](QDialog* d) { d->reject(); });
    EXPECT_EQ(library->Call_dlg111(nullptr, date), 0);
    EXPECT_EQ(date.wYear, 1999);

    whenDialogOpens([](QDialog* d) { d->reject(); });
    EXPECT_TRUE(library->Zel3FileDlg(nullptr, 0, pairs({"Text", "*.txt"}), {}, cp932::encode(QStringLiteral("サウンドの選択")))
                    .isEmpty());
    QString folderTitle;
    whenDialogOpens([&](QDialog* d) {
        folderTitle = d->windowTitle();
        d->reject();
    });
    EXPECT_TRUE(library->Zel3FolderDlg(nullptr, cp932::encode(QStringLiteral("フォルダーを選択してください"))).isEmpty());
    EXPECT_EQ(folderTitle, QStringLiteral("フォルダーを選択してください"));
}

TEST(ResourceLibraryDialogs, DateChooserFillsTheSystemTimeRecord) {
    auto library = makeQtResourceLibrary();
    SystemTime date{};
    date.wYear = 2024;
    date.wMonth = 2;
    date.wDay = 29;
    whenDialogOpens([](QDialog* d) { d->accept(); });
    EXPECT_NE(library->Call_dlg111(nullptr, date), 0);
    EXPECT_EQ(date.wYear, 2024);
    EXPECT_EQ(date.wMonth, 2);
    EXPECT_EQ(date.wDay, 29);
    EXPECT_EQ(date.wDayOfWeek, 4); // a Thursday
}

TEST(ResourceLibraryDialogs, TextBoxAndOperatingSystemName) {
    auto library = makeQtResourceLibrary();
    QString shown;
    whenDialogOpens([&](QDialog* d) {
        for (auto* label : d->findChildren<QLabel*>()) shown += label->text();
        d->accept();
    });
    EXPECT_EQ(library->Call_dlg110(nullptr, 1, cp932::encode(QStringLiteral("型番：Ferrotab\r\nバージョン：4.0.0\r\n"))), 1);
    EXPECT_EQ(shown, QStringLiteral("型番：Ferrotab\nバージョン：4.0.0\n"));

    const QByteArray os = library->GetOsInfo();
    EXPECT_FALSE(os.isEmpty());
    EXPECT_NE(os, QByteArray("Windows Vista"));
}
