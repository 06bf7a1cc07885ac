#include "options/frmOption.h"

frmOption::frmOption(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("オプション"));
    setModal(true);
}
