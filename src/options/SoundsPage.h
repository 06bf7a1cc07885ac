#pragma once
// Page 4 of the options dialog: the sound files of route setting and the
// keys, and on two sub-pages the sounds before an announcement and on data
// forward / back, each always one file or chosen by a value 1..3, played to
// its end first or alongside.

#include "options/ControlIndex.h"

#include <QWidget>
#include <array>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace options {

class PageButton;

class SoundsPage final : public QWidget {
    Q_OBJECT
public:
    explicit SoundsPage(QWidget* parent = nullptr);

    // Sound files (index::kSound...): route set (0), keys (1), before an
    // announcement always (3) or by flag 1..3 (4..6), on data forward/back
    // always (7) or by column value 1..3 (8..10). There is no element 2.
    std::array<QLineEdit*, index::kSoundBoxCount> txtSelectSound{};
    std::array<QPushButton*, index::kSoundBoxCount> cmdSelectSound{}; // "...": sound chooser into txtSelectSound[i]
    std::array<PageButton*, 2> Option5{}; // sub-page: before announcements (0), forward/back (1)
    std::array<QGroupBox*, 2> Frame2{};   // the sub-pages
    QStackedWidget* soundPages = nullptr;
    std::array<QRadioButton*, 2> Option6{}; // forward/back sound: synchronous (0), asynchronous (1)
    // Forward/back sound always (0) or by fare data column (1); announcement
    // sound always (2) or by the broadcast line's flag (3).
    std::array<QRadioButton*, 4> Option2{};
    QComboBox* Combo1 = nullptr;            // fare data column "1".."150" that selects the sound
    std::array<QRadioButton*, 2> Option7{}; // announcement sound: synchronous (0), asynchronous (1)

    void Option5_Click(int index);
    void cmdSelectSound_Click(int index);
};

} // namespace options
