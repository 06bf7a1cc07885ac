#pragma once
// Controls of the operation panel that Qt has no exact match for: the
// keypad's key caps, the one-line digit wheels of the list page, the entry
// pages that switch on a double-click, and the ticket preview picture.

#include <QFrame>
#include <QImage>
#include <QListWidget>
#include <QPushButton>

namespace panel {

// A key of the ten-key pad: a small rounded cap. The window region that
// shapes it is the panel's (KeyRegions); the cap is drawn inside the region's
// bounds so that nothing of it is cut off.
class KeyCap final : public QPushButton {
    Q_OBJECT
public:
    static constexpr int kWidth = 30;
    static constexpr int kHeight = 27;
    // The key's face within the button: from (2, 2) to (28, 25).
    static QRect faceRect() { return {2, 2, 26, 23}; }

    explicit KeyCap(const QString& caption, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A one-line list of the digits "0".."9" that acts as a digit wheel: it shows
// one digit; clicking it, the arrow keys, the mouse wheel or its scroll bar
// turn it, and the digit it shows is the one chosen (selected). It starts
// without a choice, showing 0.
class DigitWheel final : public QListWidget {
    Q_OBJECT
public:
    explicit DigitWheel(QWidget* parent = nullptr);
    // The chosen digit's row (= the digit), or -1 before anything is chosen.
    int chosenRow() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    // The user chose a digit (the list's click: the choice changed).
    void clickedDigit();

protected:
    // Coming into focus makes the shown digit the current one, which is no
    // click of the user's.
    void focusInEvent(QFocusEvent* event) override;

private:
    bool following_ = false;
    bool quiet_ = false;
};

// An entry page of the panel. A double-click on the page (not on one of its
// controls) asks to send it to the back.
class EntryPage final : public QFrame {
    Q_OBJECT
public:
    explicit EntryPage(QWidget* parent = nullptr);

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// The numbered-ticket preview: a picture the ticket plug-in draws into. It
// keeps its image, so what is shown can be copied.
class PreviewPicture final : public QWidget {
    Q_OBJECT
public:
    explicit PreviewPicture(QWidget* parent = nullptr);

    // The picture: white until something is drawn into it.
    QImage image;
    // Back to white.
    void clear();
    // Shows what the image holds now.
    void refresh() { update(); }
    // As large as it may be: the whole room it is given, or the size fixed
    // for the plug-in's ticket.
    QSize sizeHint() const override { return QSize(1000, 1000).boundedTo(maximumSize()); }

signals:
    // A mouse button went down on the picture at `pos`.
    void mouseDown(Qt::MouseButton button, QPoint pos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // The right click is the picture's own (its copy menu): nothing behind
    // the picture gets it as well.
    void contextMenuEvent(QContextMenuEvent* event) override;
};

} // namespace panel
