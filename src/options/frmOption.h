#pragma once
// The options dialog (オプション). Loaded hidden at start and kept for the
// whole run; shown modally from the panel's "設定..." button.

#include <QDialog>

class frmOption : public QDialog {
    Q_OBJECT
public:
    explicit frmOption(QWidget* parent = nullptr);
};
