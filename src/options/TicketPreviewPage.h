#pragma once
// Page 5 of the options dialog: the numbered-ticket preview on or off, the
// ticket plug-in (*.4SP) with its properties and remarks, and the date the
// ticket is printed with.

#include <QString>
#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace options {

class TicketPreviewPage final : public QWidget {
    Q_OBJECT
public:
    explicit TicketPreviewPage(QWidget* parent = nullptr);

    QCheckBox* chkUseSeiriPrev = nullptr;      // ticket preview on; shows Frame10 and Frame7
    QGroupBox* Frame10 = nullptr;              // ticket plug-in
    QLineEdit* txtSeiriPlgDir = nullptr;       // plug-in file (*.4SP)
    QPushButton* Command1 = nullptr;           // "...": plug-in chooser
    QPushButton* Command11 = nullptr;          // clears the plug-in
    QListWidget* List1 = nullptr;              // the plug-in's properties
    QPlainTextEdit* txtPlginComment = nullptr; // the plug-in's remarks
    QGroupBox* Frame7 = nullptr;               // ticket date
    // Ticket date: system date at each print (0), at route setting (1), fixed (2).
    std::array<QRadioButton*, 3> Option4{};
    QLabel* Label10 = nullptr;   // the fixed date, "yyyy/mm/dd"
    QPushButton* Command7 = nullptr; // date chooser into Label10

    // The operation panel's ticket preview picture, sized for the chosen
    // plug-in, and its company list, filled by it.
    void setTicketPreview(QWidget* picture, QComboBox* companies) {
        ticketPicture_ = picture;
        companyList_ = companies;
    }

    // Describes the plug-in at `path` (its properties and remarks) and
    // prepares the panel for it (the preview's size, the company names).
    // False, with nothing changed, when the path names no usable plug-in.
    bool SetPlgin(const QString& path);

    void Command7_Click();
    void Command1_Click();  // choose a plug-in
    void Command11_Click(); // clear the plug-in
    // Frame10 and Frame7 usable and shown while the preview is on.
    void updateDependents();

private:
    // A plug-in chosen (or typed): the previous plug-in's company names go,
    // and the new one is described and named in the field; a file that is
    // no plug-in gets the chooser's message, and false.
    bool takePlugin(const QString& path);
    // Where the chooser starts: the current plug-in's folder, else the
    // "plugins" folder beside the program.
    QString chooserStart() const;

    QWidget* ticketPicture_ = nullptr;
    QComboBox* companyList_ = nullptr;
};

} // namespace options
