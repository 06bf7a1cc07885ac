#include "options/StopNamePage.h"

#include "options/OptionWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace options {

StopNamePage::StopNamePage(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    const QString colourCaptions[2] = {QStringLiteral("背景色："), QStringLiteral("文字色：")};
    for (int i = 0; i < 2; ++i) {
        Command9[size_t(i)] = colourButton(colourCaptions[i], this);
        connect(Command9[size_t(i)], &QPushButton::clicked, this, [this, i] { Command9_Click(i); });
        form->addRow(caption(colourCaptions[i], this), Command9[size_t(i)]);
    }
    Combo3 = new QComboBox(this);
    Combo3->setAccessibleName(QStringLiteral("フォントオプション"));
    Combo3->addItems({QStringLiteral("ゴシック体"), QStringLiteral("明朝体"),
                      QStringLiteral("漢字はゴシック、それ以外は明朝"), QStringLiteral("漢字は明朝、それ以外はゴシック"),
                      QStringLiteral("英数字はゴシック、それ以外は明朝")});
    Combo3->setCurrentIndex(-1);
    form->addRow(caption(QStringLiteral("フォントオプション："), this), Combo3);
    layout->addLayout(form);
    Check4 = new QCheckBox(QStringLiteral("太字（表示の不具合はサポート対象外）"), this);
    untristateWhenClicked(Check4);
    layout->addWidget(Check4);
    layout->addStretch(1);
}

void StopNamePage::Command9_Click(int index) { GetBtnColor(Command9[size_t(index)]); }

} // namespace options
