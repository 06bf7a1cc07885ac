#pragma once
// The timetable ride for a mouse: a menu on a right click on the operation
// panel where no control takes the click (its background, a caption, a
// button), so the panel keeps its look. It starts a ride of the route keyed
// into the keypad page (or, with nothing keyed in, of the route that is set)
// at one of a few speeds, and stops it.

#include <QObject>
#include <functional>

class QPoint;
class frmCtl;

namespace ride {

class Ride;

class RideMenu : public QObject {
    Q_OBJECT
public:
    RideMenu(Ride& ride, frmCtl& panel);

    // The menu at `global`, as a right click shows it.
    void popUp(const QPoint& global);

    // Opens the window with the phone panel page's address; the menu offers
    // it while set (the control interface runs).
    std::function<void()> showPhonePage;

private:
    void start(double speed);

    Ride& ride_;
    frmCtl& panel_;
    bool loop_ = false;
};

} // namespace ride
