#include "options/DigitsPage.h"

#include "display/M_Degit.h"
#include "options/OptionWidgets.h"
#include "platform/Device.h"
#include "route/FareTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace options {

using namespace index;

DigitsPage::DigitsPage(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    auto* colourForm = new QFormLayout;
    colourForm->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    const QString colourCaptions[3] = {QStringLiteral("背景色："), QStringLiteral("未発光時の文字色："),
                                       QStringLiteral("発光時の文字色：")};
    for (int i = 0; i < 3; ++i) {
        Command8[size_t(i)] = colourButton(colourCaptions[i], this);
        connect(Command8[size_t(i)], &QPushButton::clicked, this, [this, i] { Command8_Click(i); });
        // The preview follows every change of the three colours.
        connect(Command8[size_t(i)], &ColorButton::backColorChanged, this, &DigitsPage::updatePreviewColours);
        colourForm->addRow(caption(colourCaptions[i], this), Command8[size_t(i)]);
    }
    top->addLayout(colourForm);
    top->addSpacing(2 * em(this));
    auto* preview = new QVBoxLayout;
    preview->addWidget(caption(QStringLiteral("プレビュー"), this));
    M_Degit1 = new M_Degit(this);
    M_Degit1->setAccessibleName(QStringLiteral("プレビュー"));
    M_Degit1->setDegitSize(0);
    M_Degit1->setFixedSize(M_Degit1->size());
    // The fare cells' lamp style and a fare, so all three colours show.
    M_Degit1->setDegitStyle(1);
    M_Degit1->setValue(180);
    preview->addWidget(M_Degit1, 0, Qt::AlignLeft);
    preview->addStretch(1);
    top->addLayout(preview);
    top->addStretch(1);
    layout->addLayout(top);

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    layout->addWidget(rule);

    for (auto& list : Combo4) list = new QComboBox(this);
    // One line per information digit: the box, the lists in the blank room
    // of the sentence, and the sentence's rest.
    auto line = [&](QCheckBox* box, std::initializer_list<QWidget*> rest, int indent = 0) {
        auto* row = new QHBoxLayout;
        row->setSpacing(em(this) / 3);
        if (indent) row->addSpacing(indent);
        row->addWidget(box);
        for (QWidget* w : rest) row->addWidget(w);
        row->addStretch(1);
        layout->addLayout(row);
    };
    const QString cellTail = QStringLiteral("コマ目に表示する。");
    Check3[kInfoStopOrder] = new QCheckBox(QStringLiteral("停留所の順番（区間・個数）を、"), this);
    line(Check3[kInfoStopOrder], {Combo4[kInfoStopOrder], caption(cellTail, this)});
    Check3[kInfoFromZero] = new QCheckBox(QStringLiteral("0から数える"), this);
    line(Check3[kInfoFromZero], {}, int(1.5 * em(this)));
    Check3[kInfoTicketNum] = new QCheckBox(QStringLiteral("整理券番号を、"), this);
    line(Check3[kInfoTicketNum], {Combo4[kInfoTicketNum], caption(cellTail, this)});
    Check3[kInfoRouteNum] = new QCheckBox(QStringLiteral("系統番号を、"), this);
    line(Check3[kInfoRouteNum], {Combo4[kInfoRouteNum], caption(cellTail, this)});
    Check3[kInfoColumn] = new QCheckBox(QStringLiteral("データの"), this);
    line(Check3[kInfoColumn], {Combo4[kInfoColumnIndex], caption(QStringLiteral("列目の値を、"), this),
                               Combo4[kInfoColumn], caption(cellTail, this)});
    Combo4[kInfoStopOrder]->setAccessibleName(QStringLiteral("停留所の順番のコマ"));
    Combo4[kInfoTicketNum]->setAccessibleName(QStringLiteral("整理券番号のコマ"));
    Combo4[kInfoRouteNum]->setAccessibleName(QStringLiteral("系統番号のコマ"));
    Combo4[kInfoColumn]->setAccessibleName(QStringLiteral("データの値のコマ"));
    Combo4[kInfoColumnIndex]->setAccessibleName(QStringLiteral("データの列"));

    layout->addSpacing(em(this) / 2);
    layout->addWidget(note(QStringLiteral("デジタル数字の桁ずらし、ゼロ埋めの設定は各部品をダブルクリックして設定してください。"
                                          "また、これら情報用数字は運賃の表示よりも優先されます。"),
                           this));
    layout->addStretch(1);

    // The cell lists name the 84 cells, the column list the fare file's columns.
    for (int n = 1; n <= device::kFareCellCount; ++n) {
        for (size_t i : {kInfoStopOrder, kInfoTicketNum, kInfoRouteNum, kInfoColumn})
            Combo4[i]->addItem(QString::number(n));
    }
    for (int n = 1; n <= route::kFareColumns; ++n) Combo4[kInfoColumnIndex]->addItem(QString::number(n));
    for (QComboBox* list : Combo4) list->setCurrentIndex(0);

    for (QCheckBox* box : Check3) untristateWhenClicked(box);
    for (size_t i : {kInfoStopOrder, kInfoTicketNum, kInfoRouteNum, kInfoColumn})
        connect(Check3[i], &QCheckBox::stateChanged, this, &DigitsPage::updateDependents);
}

void DigitsPage::Command8_Click(int index) {
    GetBtnColor(Command8[size_t(index)]);
    updatePreviewColours();
}

void DigitsPage::updatePreviewColours() {
    M_Degit1->setBackColor(Command8[kCellBack]->BackColor());
    M_Degit1->setBaseForeColor(Command8[kCellBase]->BackColor());
    M_Degit1->setDegitForeColor(Command8[kCellLit]->BackColor());
}

void DigitsPage::updateDependents() {
    Combo4[kInfoStopOrder]->setEnabled(marked(Check3[kInfoStopOrder]));
    Check3[kInfoFromZero]->setEnabled(marked(Check3[kInfoStopOrder]));
    Combo4[kInfoTicketNum]->setEnabled(marked(Check3[kInfoTicketNum]));
    Combo4[kInfoRouteNum]->setEnabled(marked(Check3[kInfoRouteNum]));
    Combo4[kInfoColumn]->setEnabled(marked(Check3[kInfoColumn]));
    Combo4[kInfoColumnIndex]->setEnabled(marked(Check3[kInfoColumn]));
}

} // namespace options
