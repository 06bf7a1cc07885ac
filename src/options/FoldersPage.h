#pragma once
// Page 0 of the options dialog: the folders the route's fare data (*.hy3)
// and broadcast data (*tp.csv) are read from, each with a chooser and a
// button that shows the folder in the file manager.

#include <QWidget>
#include <array>

class QLineEdit;
class QPushButton;

namespace options {

class FoldersPage final : public QWidget {
    Q_OBJECT
public:
    explicit FoldersPage(QWidget* parent = nullptr);

    std::array<QLineEdit*, 2> Text2{};       // fare data folder (0), broadcast data folder (1)
    std::array<QPushButton*, 2> Command3{};  // "...": folder chooser into Text2[i]
    std::array<QPushButton*, 2> Command10{}; // opens Text2[i] in the file manager

    void Command3_Click(int index);
    void Command10_Click(int index) const;
    // The folder chooser; the chosen folder, or the empty text when
    // cancelled. The argument is not used.
    QString GetPathString(const QString& defaultPath = QString());
};

} // namespace options
