// The ticket preview page: choosing a plug-in, what its description lists,
// what a file that is no plug-in does, clearing, and the plug-in described
// again at start. The panel's preview picture and company list are stood in
// for by a plain widget and list.
#include "tests/options/OptionFixture.h"
#include "options/PluginDescription.h"
#include "platform/Cp932.h"
#include "settings/SettingsRecord.h"
#include "tests/support/FileBytes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using ZelP4Res::PlgInfo;

namespace {

QStringList lines(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
}

const QString kSamples = QStringLiteral(FERROTAB_TEST_DATA "/../../data/sample/plugins/");

class PluginPageTest : public OptionTest {
protected:
    PluginPageTest() {
        picture.resize(200, 200);
        dialog->setTicketPreview(&picture, &companies);
        // The plug-in's controls are enabled with the preview.
        dialog->chkUseSeiriPrev->setChecked(true);
    }
    // The chooser answers `path`, and the plug-in page's "..." is pressed.
    void choose(const QString& path) {
        library->fileAnswer = cp932::encode(path);
        dialog->Command1->click();
    }
    // A plug-in whose record the library reports as given.
    void report(const PlgInfo& info) {
        library->onGetPlgInfo = [info](const QByteArray&, PlgInfo& out) {
            out = info;
            return 1;
        };
        library->onSetPlgComment = [](const QByteArray&, QPlainTextEdit* box) {
            box->setPlainText(QStringLiteral("特記事項"));
            return 1;
        };
        library->onSetCorpAddList = [](const QByteArray&, QComboBox* list) {
            list->addItems({QStringLiteral("甲交通"), QStringLiteral("乙バス")});
            return 1;
        };
    }
    QString notAPlugin() {
        QString path = dir.filePath(QStringLiteral("readme.4SP"));
        testing_files::writeFile(path, "これはプラグインではありません");
        return path;
    }

    QTemporaryDir dir;
    QWidget picture;
    QComboBox companies;
};

} // namespace

TEST(PluginDescription, SixLinesWithoutBarcodesTenWithAndOnlyOneCountsAsPossible) {
    PlgInfo info;
    info.CanPrintDate = 1;
    info.CanPrintTime = 2;  // only 1 is "possible"
    info.CanPrintStop = 1;
    info.BarcodeCount = 5;  // not listed without barcodes
    info.CorpSwitch = 2;    // 1 or more is possible
    EXPECT_EQ(options::pluginPropertyLines(info),
              (QStringList{QStringLiteral("日付の印字 ---> 可能"), QStringLiteral("時刻の印字 ---> 不可"),
                           QStringLiteral("系統番号の印字 ---> 不可"), QStringLiteral("停名の印字 ---> 可能"),
                           QStringLiteral("バーコード印字 ---> 不可"), QStringLiteral("社名切り替え:---> 可能")}));
    info.CorpSwitch = -1;
    EXPECT_EQ(options::pluginPropertyLines(info).last(), QStringLiteral("社名切り替え:---> 不可"));

    info.CanPrintBarcode = 1;
    info.BarcodeCount = 2;
    info.BarcodeMode = 1;
    info.RouteMax = 999;
    info.StopMin = 1;
    info.StopMax = 99;
    const QStringList listed = options::pluginPropertyLines(info);
    ASSERT_EQ(listed.size(), 10);
    EXPECT_EQ(listed[4], QStringLiteral("バーコード印字 ---> 可能"));
    EXPECT_EQ(listed.mid(5, 4), (QStringList{QStringLiteral("バーコード本数 ---> 2"), QStringLiteral("バーコード系統方式 ---> 連番式"),
                                             QStringLiteral("設定可能な系統範囲 ---> 1 ～ 999"),
                                             QStringLiteral("停留所認識範囲 ---> 1 ～ 99")}));
    info.BarcodeMode = 0;
    EXPECT_EQ(options::pluginPropertyLines(info)[6], QStringLiteral("バーコード系統方式 ---> 系統番号＋往復フラグ"));
}

TEST_F(PluginPageTest, ChoosingAPluginDescribesItAndPreparesThePanel) {
    PlgInfo info;
    info.PreviewWidth = 150;
    info.PreviewHeight = 240;
    info.CorpSwitch = 1;
    report(info);
    companies.addItem(QStringLiteral("前のプラグインの社名"));
    choose(QStringLiteral("/tmp/plugins/甲.4SP"));

    ASSERT_EQ(library->files.size(), 1u);
    EXPECT_EQ(library->files[0].title, cp932::encode(QStringLiteral("プラグインの選択")));
    EXPECT_EQ(library->files[0].filter, cp932::encode(QStringLiteral("整理券プラグイン(*.4SP)")) + '\0' + "*.4SP" + '\0' + '\0');
    EXPECT_EQ(library->files[0].owner, dialog.get());
    EXPECT_TRUE(library->files[0].initialName.isEmpty());

    EXPECT_EQ(dialog->txtSeiriPlgDir->text(), QStringLiteral("/tmp/plugins/甲.4SP"));
    EXPECT_EQ(library->plgInfoCalls, std::vector<QByteArray>{cp932::encode(QStringLiteral("/tmp/plugins/甲.4SP"))});
    EXPECT_EQ(dialog->txtPlginComment->toPlainText(), QStringLiteral("特記事項"));
    EXPECT_EQ(lines(dialog->List1), options::pluginPropertyLines(info));
    EXPECT_EQ(picture.size(), QSize(150, 240));
    EXPECT_EQ(picture.minimumSize(), picture.maximumSize()) << "the ticket's own size, fixed";
    // The old names went before the new plug-in was read.
    EXPECT_EQ(companies.count(), 2);
    EXPECT_EQ(companies.itemText(0), QStringLiteral("甲交通"));
    EXPECT_TRUE(boxes.shown().empty());

    // Without company switching the list stays empty.
    info.CorpSwitch = 0;
    info.PreviewWidth = 100;
    report(info);
    choose(QStringLiteral("/tmp/plugins/乙.4SP"));
    EXPECT_EQ(companies.count(), 0);
    EXPECT_TRUE(library->corpListCalls.size() == 1u) << "asked only for the plug-in that switches";
    EXPECT_EQ(picture.width(), 100);
}

TEST_F(PluginPageTest, AFileThatIsNoPluginShowsTheErrorAndKeepsThePreviousPlugin) {
    choose(kSamples + QStringLiteral("minatodai_barcode.4SP"));
    ASSERT_EQ(companies.count(), 2);
    const QStringList listed = lines(dialog->List1);
    const QString remarks = dialog->txtPlginComment->toPlainText();
    ASSERT_EQ(listed.size(), 10);
    ASSERT_EQ(picture.size(), QSize(180, 284));

    choose(notAPlugin());
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("指定したファイルはプラグインでないか、内容が不正です"));
    EXPECT_EQ(boxes.shown()[0].title, QStringLiteral("プラグインロードエラー"));
    EXPECT_EQ(boxes.shown()[0].icon, platform::MsgIcon::Critical);
    EXPECT_EQ(boxes.shown()[0].buttons, platform::MsgButtons::Ok);
    EXPECT_EQ(boxes.shown()[0].owner, dialog.get());
    EXPECT_EQ(companies.count(), 0) << "emptied before the file was tried";
    EXPECT_EQ(dialog->txtSeiriPlgDir->text(), kSamples + QStringLiteral("minatodai_barcode.4SP"));
    EXPECT_EQ(lines(dialog->List1), listed);
    EXPECT_EQ(dialog->txtPlginComment->toPlainText(), remarks);
    EXPECT_EQ(picture.size(), QSize(180, 284));
}

TEST_F(PluginPageTest, APathTypedIntoTheFieldCountsWhenTheTypingEnds) {
    const QString barcode = kSamples + QStringLiteral("minatodai_barcode.4SP");
    auto type = [&](const QString& text) {
        dialog->txtSeiriPlgDir->setText(QString());
        dialog->txtSeiriPlgDir->setFocus();
        QTest::keyClicks(dialog->txtSeiriPlgDir, text);
        emit dialog->txtSeiriPlgDir->editingFinished();
    };
    type(barcode);
    EXPECT_EQ(lines(dialog->List1).size(), 10);
    EXPECT_EQ(companies.count(), 2);
    EXPECT_EQ(picture.size(), QSize(180, 284));
    EXPECT_TRUE(boxes.shown().empty());
    // Leaving the field unchanged asks nothing again.
    emit dialog->txtSeiriPlgDir->editingFinished();
    EXPECT_EQ(library->plgInfoCalls.size(), 1u);

    // A file that is no plug-in: the chooser's message, what was typed
    // stays, and the old plug-in's description goes.
    type(notAPlugin());
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].title, QStringLiteral("プラグインロードエラー"));
    EXPECT_EQ(dialog->txtSeiriPlgDir->text(), notAPlugin());
    EXPECT_EQ(dialog->List1->count(), 0);
    EXPECT_TRUE(dialog->txtPlginComment->toPlainText().isEmpty());
    EXPECT_EQ(companies.count(), 0);

    // The chooser then starts in the folder of the path in the field.
    choose(QString());
    EXPECT_EQ(cp932::decode(library->files.back().initialName), dir.path() + QLatin1Char('/'));
}

TEST_F(PluginPageTest, CancellingTheChooserChangesNothing) {
    choose(kSamples + QStringLiteral("minatodai_barcode.4SP"));
    choose(QString());
    EXPECT_EQ(library->files.size(), 2u);
    EXPECT_EQ(companies.count(), 2);
    EXPECT_EQ(dialog->txtSeiriPlgDir->text(), kSamples + QStringLiteral("minatodai_barcode.4SP"));
    EXPECT_EQ(library->plgInfoCalls.size(), 1u);
}

TEST_F(PluginPageTest, ClearingEmptiesThePageButNotThePanel) {
    choose(kSamples + QStringLiteral("minatodai_barcode.4SP"));
    dialog->Command11->click();
    EXPECT_TRUE(dialog->txtSeiriPlgDir->text().isEmpty());
    EXPECT_TRUE(dialog->txtPlginComment->toPlainText().isEmpty());
    EXPECT_EQ(dialog->List1->count(), 0);
    EXPECT_EQ(companies.count(), 2);
    EXPECT_EQ(picture.size(), QSize(180, 284));
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(PluginPageTest, TheStoredPluginIsDescribedAtStartAndABadOneSilently) {
    settings::SettingsRecord r = settings::SettingsRecord::initial(QDate(2026, 12, 6));
    r.TicketPreviewOn = 1;
    r.TicketPluginFile = kSamples + QStringLiteral("sakuragawa_plain.4SP");
    dialog->SetOptionInfo(r);
    EXPECT_EQ(dialog->List1->count(), 6);
    EXPECT_EQ(lines(dialog->List1)[0], QStringLiteral("日付の印字 ---> 可能"));
    EXPECT_TRUE(dialog->txtPlginComment->toPlainText().startsWith(QStringLiteral("桜川交通の標準整理券です。")));
    EXPECT_EQ(picture.size(), QSize(180, 288));
    EXPECT_EQ(companies.count(), 0) << "one company, no switching";

    // A stored path that names no plug-in: no box, the path stays, the
    // description from before too.
    r.TicketPluginFile = notAPlugin();
    dialog->SetOptionInfo(r);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_EQ(dialog->txtSeiriPlgDir->text(), r.TicketPluginFile);
    EXPECT_EQ(dialog->List1->count(), 6);
    EXPECT_EQ(picture.size(), QSize(180, 288));
    // An empty path is not looked up at all.
    const size_t asked = library->plgInfoCalls.size();
    r.TicketPluginFile.clear();
    dialog->SetOptionInfo(r);
    EXPECT_EQ(library->plgInfoCalls.size(), asked);
    EXPECT_FALSE(dialog->SetPlgin(QString()));
}
