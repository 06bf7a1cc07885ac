#include "options/FoldersPage.h"

#include "options/OptionWidgets.h"
#include "platform/Cp932.h"
#include "platform_ui/PlainButton.h"
#include "platform_ui/ResourceLibrary.h"
#include "platform_ui/Shell.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace options {

FoldersPage::FoldersPage(QWidget* parent) : QWidget(parent) {
    auto* layout = new QGridLayout(this);
    const QString folderCaptions[2] = {QStringLiteral("運賃データ(*.hy3)のあるフォルダー："),
                                       QStringLiteral("放送用データ(*****Tp.csv)のあるフォルダー：")};
    const QString openCaptions[2] = {QStringLiteral("上記運賃データの場所をエクスプローラで開く"),
                                     QStringLiteral("上記放送用データの場所をエクスプローラで開く")};
    int row = 0;
    for (int i = 0; i < 2; ++i) {
        auto* label = caption(folderCaptions[i], this);
        Text2[size_t(i)] = pathBox(folderCaptions[i], this);
        label->setBuddy(Text2[size_t(i)]);
        Command3[size_t(i)] = browseButton(folderCaptions[i], this);
        Command10[size_t(i)] = platform_ui::plainButton(openCaptions[i], this);
        connect(Command3[size_t(i)], &QPushButton::clicked, this, [this, i] { Command3_Click(i); });
        connect(Command10[size_t(i)], &QPushButton::clicked, this, [this, i] { Command10_Click(i); });
        if (i > 0) layout->setRowMinimumHeight(row++, em(this));
        layout->addWidget(label, row++, 0, 1, 2);
        layout->addWidget(Text2[size_t(i)], row, 0);
        layout->addWidget(Command3[size_t(i)], row++, 1);
        layout->addWidget(Command10[size_t(i)], row++, 0, 1, 2, Qt::AlignLeft);
    }
    layout->setRowStretch(row, 1);
    layout->setColumnStretch(0, 1);
}

void FoldersPage::Command3_Click(int index) {
    const QString folder = GetPathString(Text2[size_t(index)]->text());
    if (!folder.isEmpty()) Text2[size_t(index)]->setText(folder);
}

void FoldersPage::Command10_Click(int index) const {
    // Whatever goes wrong (no folder, no file manager) is ignored.
    platform_ui::ShellOpen(Text2[size_t(index)]->text());
}

QString FoldersPage::GetPathString(const QString&) {
    return cp932::decode(ZelP4Res::Zel3FolderDlg(window(), cp932::encode(QStringLiteral("フォルダーを選択してください"))));
}

} // namespace options
