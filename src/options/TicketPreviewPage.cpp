#include "options/TicketPreviewPage.h"

#include "options/ControlValues.h"
#include "options/OptionWidgets.h"
#include "options/PluginDescription.h"
#include "platform/Cp932.h"
#include "platform/ProgramIdentity.h"
#include "platform/Seams.h"
#include "platform_ui/PlainButton.h"
#include "platform_ui/ResourceLibrary.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace options {

TicketPreviewPage::TicketPreviewPage(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    chkUseSeiriPrev = new QCheckBox(QStringLiteral("整理券プレビュー機能を使用する"), this);
    untristateWhenClicked(chkUseSeiriPrev);
    layout->addWidget(chkUseSeiriPrev);

    Frame10 = new QGroupBox(QStringLiteral("整理券プラグイン設定"), this);
    {
        auto* grid = new QGridLayout(Frame10);
        const QString pluginCaption =
            QStringLiteral("整理券プラグイン（整理券プレビューを使用しない場合は、何も入れないでください）：");
        grid->addWidget(caption(pluginCaption, Frame10), 0, 0, 1, 2);
        auto* row = new QHBoxLayout;
        txtSeiriPlgDir = pathBox(pluginCaption, Frame10);
        Command1 = browseButton(pluginCaption, Frame10);
        // The clear button shows a cross.
        Command11 = platform_ui::plainButton(QStringLiteral("×"), Frame10);
        Command11->setFixedWidth(Command1->width());
        Command11->setAccessibleName(QStringLiteral("整理券プラグインの指定を消去"));
        connect(Command1, &QPushButton::clicked, this, &TicketPreviewPage::Command1_Click);
        connect(Command11, &QPushButton::clicked, this, &TicketPreviewPage::Command11_Click);
        // A path typed into the field counts once the typing ends, as a
        // chosen one does.
        connect(txtSeiriPlgDir, &QLineEdit::editingFinished, this, [this] {
            if (!txtSeiriPlgDir->isModified()) return;
            txtSeiriPlgDir->setModified(false);
            const QString typed = txtSeiriPlgDir->text();
            if (typed.isEmpty()) {
                Command11_Click();
                return;
            }
            if (takePlugin(typed)) return;
            // What was typed stays for the user to mend; the description of
            // the plug-in before it goes.
            txtPlginComment->clear();
            List1->clear();
        });
        row->addWidget(txtSeiriPlgDir, 1);
        row->addWidget(Command1);
        row->addWidget(Command11);
        grid->addLayout(row, 1, 0, 1, 2);
        const QString listCaption = QStringLiteral("上記プラグインのプロパティ：");
        const QString commentCaption = QStringLiteral("上記プラグインの特記事項：");
        grid->addWidget(caption(listCaption, Frame10), 2, 0);
        grid->addWidget(caption(commentCaption, Frame10), 2, 1);
        List1 = new QListWidget(Frame10);
        List1->setAccessibleName(listCaption);
        txtPlginComment = new QPlainTextEdit(Frame10);
        txtPlginComment->setReadOnly(true);
        txtPlginComment->setAccessibleName(commentCaption);
        for (QWidget* w : {static_cast<QWidget*>(List1), static_cast<QWidget*>(txtPlginComment)}) {
            w->setFixedHeight(5 * em(this));
            w->setMinimumWidth(12 * em(this));
        }
        grid->addWidget(List1, 3, 0);
        grid->addWidget(txtPlginComment, 3, 1);
    }
    layout->addWidget(Frame10);

    Frame7 = new QGroupBox(QStringLiteral("日付の設定（整理券プラグインが日付の印字をサポートしているときに有効）"), this);
    {
        auto* v = new QVBoxLayout(Frame7);
        Option4[0] = new QRadioButton(QStringLiteral("システムの日付を使用（整理券印字と同時に日付を更新、デフォルト）"), Frame7);
        Option4[1] = new QRadioButton(QStringLiteral("システムの日付を使用（系統設定した時点の日付を保持）"), Frame7);
        Option4[2] = new QRadioButton(QStringLiteral("右記の日付に固定"), Frame7);
        group(this, {Option4[0], Option4[1], Option4[2]});
        v->addWidget(Option4[0]);
        v->addWidget(Option4[1]);
        auto* held = note(QStringLiteral("系統設定した際の日付が保持され、日付が途中で変わっても次回系統設定するまで整理券の日付変更を"
                                         "行いません。"),
                          Frame7);
        held->setContentsMargins(int(1.5 * em(this)), 0, 0, 0);
        v->addWidget(held);
        auto* fixedRow = new QHBoxLayout;
        fixedRow->addWidget(Option4[2]);
        Label10 = new QLabel(Frame7);
        Label10->setFrameShape(QFrame::StyledPanel);
        Label10->setFrameShadow(QFrame::Sunken);
        Label10->setMinimumWidth(7 * em(this));
        Label10->setAlignment(Qt::AlignCenter);
        Label10->setTextFormat(Qt::PlainText);
        Label10->setAccessibleName(Option4[2]->text());
        fixedRow->addWidget(Label10);
        Command7 = platform_ui::plainButton(QStringLiteral("日付選択..."), Frame7);
        connect(Command7, &QPushButton::clicked, this, &TicketPreviewPage::Command7_Click);
        fixedRow->addWidget(Command7);
        fixedRow->addStretch(1);
        v->addLayout(fixedRow);
    }
    layout->addWidget(Frame7);
    layout->addStretch(1);

    connect(chkUseSeiriPrev, &QCheckBox::stateChanged, this, &TicketPreviewPage::updateDependents);
    // Frames that come and go keep their room, so the dialog does not jump.
    for (QGroupBox* frame : {Frame10, Frame7}) {
        QSizePolicy policy = frame->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        frame->setSizePolicy(policy);
    }
}

void TicketPreviewPage::updateDependents() {
    const bool preview = marked(chkUseSeiriPrev);
    for (QGroupBox* frame : {Frame10, Frame7}) {
        frame->setEnabled(preview);
        frame->setVisible(preview);
    }
}

void TicketPreviewPage::Command7_Click() {
    ZelP4Res::SystemTime date;
    // The chooser starts at the fixed date when the label holds one.
    const QDate shown = QDate::fromString(Label10->text(), QStringLiteral("yyyy/MM/dd"));
    if (shown.isValid()) {
        date.wYear = std::int16_t(shown.year());
        date.wMonth = std::int16_t(shown.month());
        date.wDay = std::int16_t(shown.day());
        date.wDayOfWeek = std::int16_t(shown.dayOfWeek() % 7);
    }
    if (ZelP4Res::Call_dlg111(window(), date) != 0) Label10->setText(fixedDateText(date.wYear, date.wMonth, date.wDay));
}

QString TicketPreviewPage::chooserStart() const {
    const QFileInfo current(txtSeiriPlgDir->text());
    if (!txtSeiriPlgDir->text().isEmpty() && current.absoluteDir().exists())
        return current.absoluteDir().path() + QLatin1Char('/');
    const QDir plugins(platform::programIdentity().folder + QStringLiteral("/plugins"));
    return plugins.exists() ? plugins.path() + QLatin1Char('/') : QString();
}

void TicketPreviewPage::Command1_Click() {
    static const QByteArray filter = chooserFilter({"整理券プラグイン(*.4SP)", "*.4SP"});
    const QByteArray chosen = ZelP4Res::Zel3FileDlg(window(), 0, filter, cp932::encode(chooserStart()),
                                                    cp932::encode(QStringLiteral("プラグインの選択")));
    if (!chosen.isEmpty()) takePlugin(cp932::decode(chosen)); // a failure keeps the field as it was
}

bool TicketPreviewPage::takePlugin(const QString& path) {
    // The previous plug-in's company names go whether or not the new file is one.
    if (companyList_) companyList_->clear();
    if (SetPlgin(path)) {
        txtSeiriPlgDir->setText(path);
        return true;
    }
    platform::MsgBox(QStringLiteral("指定したファイルはプラグインでないか、内容が不正です"), platform::MsgButtons::Ok,
                     platform::MsgIcon::Critical, QStringLiteral("プラグインロードエラー"), window());
    return false;
}

void TicketPreviewPage::Command11_Click() {
    // The panel's company list and the preview's size stay as they are.
    txtSeiriPlgDir->clear();
    txtPlginComment->clear();
    List1->clear();
}

bool TicketPreviewPage::SetPlgin(const QString& path) {
    if (path.isEmpty()) return false;
    const QByteArray pathBytes = cp932::encode(path);
    ZelP4Res::PlgInfo info;
    if (ZelP4Res::ZEL4_GetPlgInfo(pathBytes, info) == 0) return false;
    ZelP4Res::ZEL4_SetPlgComment(pathBytes, txtPlginComment);
    List1->clear();
    List1->addItems(pluginPropertyLines(info));
    if (ticketPicture_) ticketPicture_->setFixedSize(std::max(0, info.PreviewWidth), std::max(0, info.PreviewHeight));
    if (info.CorpSwitch >= 1 && companyList_) ZelP4Res::ZEL4_SetCorpAddList(pathBytes, companyList_);
    return true;
}

} // namespace options
