#pragma once
// The real program on a real X server (Xvfb) under a window manager that
// draws frames (openbox), driven from outside as a person would: windows are
// found by title, keys typed with xdotool, positions read from the X server
// itself, frame included.
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QRect>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <map>
#include <optional>
#include <string>

namespace xsession {

inline const QString kPanelTitle = QStringLiteral("集中操作盤");
inline const QString kDisplayTitle = QStringLiteral("Ferrotab - 型番:LED-84");
inline const QString kQuitTitle = QStringLiteral("Ferrotabの終了確認");
inline const QRect kScreen(0, 0, 1280, 1024);
constexpr int kWaitMs = 15000; // generous: the machine may be busy with other work

inline std::string str(const QPoint& p) { return std::to_string(p.x()) + "," + std::to_string(p.y()); }

// An X server with a window manager, for the length of one test.
class XSession {
public:
    ~XSession() {
        for (QProcess* p : {&wm_, &xvfb_}) {
            if (p->state() == QProcess::NotRunning) continue;
            p->terminate();
            if (!p->waitForFinished(3000)) p->kill();
            p->waitForFinished(3000);
        }
    }

    // Starts Xvfb on a free display. Returns the reason when it cannot.
    // The display number is drawn at random and the server started on it
    // explicitly; a server that finds its number taken (another test's, run
    // at the same time) exits, and another number is tried.
    std::optional<QString> startServer() {
        QString why;
        for (int attempt = 0; attempt < 20; ++attempt) {
            const QString display = QStringLiteral(":%1").arg(100 + QRandomGenerator::global()->bounded(800));
            xvfb_.setProgram(QStringLiteral("Xvfb"));
            xvfb_.setArguments({display, QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                QStringLiteral("0"), QStringLiteral("%1x%2x24").arg(kScreen.width()).arg(kScreen.height()),
                                QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                                // No reset when the last client leaves: a client
                                // connecting during a reset would be turned away.
                                QStringLiteral("-noreset")});
            xvfb_.start();
            if (!xvfb_.waitForStarted(5000)) return QStringLiteral("Xvfb could not be started: ") + xvfb_.errorString();
            // The server writes its display number once it takes clients.
            QElapsedTimer t;
            t.start();
            QByteArray out;
            while (!out.contains('\n') && xvfb_.state() == QProcess::Running && t.elapsed() < kWaitMs) {
                xvfb_.waitForReadyRead(200);
                out += xvfb_.readAllStandardOutput();
            }
            if (out.contains('\n')) {
                display_ = display;
                return std::nullopt;
            }
            why = QString::fromLocal8Bit(xvfb_.readAllStandardError()).trimmed();
            xvfb_.kill();
            xvfb_.waitForFinished(3000);
        }
        return QStringLiteral("Xvfb did not come up: ") + why;
    }

    // Starts openbox and waits until it manages the screen. Returns what
    // went wrong when it does not.
    std::optional<std::string> startWindowManager() {
        wm_.setProcessEnvironment(environment());
        wm_.setProcessChannelMode(QProcess::MergedChannels);
        wm_.setProgram(QStringLiteral("openbox"));
        wm_.setArguments({QStringLiteral("--sm-disable")});
        wm_.start();
        if (!wm_.waitForStarted(5000)) return "openbox could not be started: " + wm_.errorString().toStdString();
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < kWaitMs && wm_.state() == QProcess::Running) {
            if (run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                    .contains(QStringLiteral("window id")))
                return std::nullopt;
            QThread::msleep(50);
        }
        wm_.waitForFinished(500);
        return "openbox did not take the screen " + display_.toStdString() + ": " +
               QString::fromLocal8Bit(wm_.readAll()).toStdString();
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display_);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        env.insert(QStringLiteral("HOME"), home_.path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home_.path());
        env.remove(QStringLiteral("XAUTHORITY"));
        return env;
    }

    // Runs a helper (xprop, xwininfo, wmctrl, xdotool) and returns its output.
    QString run(const QString& program, const QStringList& args) const {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(program, args);
        if (!p.waitForFinished(kWaitMs)) {
            p.kill();
            p.waitForFinished(1000);
        }
        return QString::fromUtf8(p.readAllStandardOutput());
    }

private:
    QProcess xvfb_;
    QProcess wm_;
    QString display_;
    QTemporaryDir home_;
};

struct Placed {
    QRect outer; // frame included
    bool operator==(const Placed&) const = default;
};

// One run of the program, started under the name LED-84 from `folder`.
class Ferrotab {
public:
    Ferrotab(const XSession& x, const QString& folder) : x_(x) {
        process_.setProcessEnvironment(x.environment());
        process_.setWorkingDirectory(folder);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(QDir(folder).filePath(QStringLiteral("LED-84")), {});
        process_.waitForStarted(kWaitMs);
    }
    ~Ferrotab() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }

    // The program's windows by title, as the window manager lists them.
    std::map<QString, QString> windows() const {
        static const QRegularExpression line(QStringLiteral("^(0x[0-9a-f]+)\\s+-?\\d+\\s+(\\d+)\\s+\\S+\\s(.*)$"));
        std::map<QString, QString> byTitle;
        const QString list = x_.run(QStringLiteral("wmctrl"), {QStringLiteral("-l"), QStringLiteral("-p")});
        for (const QString& l : list.split(u'\n')) {
            const auto m = line.match(l);
            if (m.hasMatch() && m.captured(2).toLongLong() == process_.processId()) byTitle[m.captured(3)] = m.captured(1);
        }
        return byTitle;
    }

    QString waitForWindow(const QString& title) const {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < kWaitMs && process_.state() == QProcess::Running) {
            const auto w = windows();
            if (auto it = w.find(title); it != w.end()) return it->second;
            QThread::msleep(50);
        }
        return {};
    }

    // Where the window is, frame included, as the X server has it.
    Placed placed(const QString& id) const {
        const QString info = x_.run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id});
        auto number = [&](const char* label) {
            const QRegularExpression re(QString::fromLatin1(label) + QStringLiteral(":\\s+(-?\\d+)"));
            return re.match(info).captured(1).toInt();
        };
        const QString extents = x_.run(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("_NET_FRAME_EXTENTS")});
        const auto e = QRegularExpression(QStringLiteral("= (\\d+), (\\d+), (\\d+), (\\d+)")).match(extents);
        const int left = e.captured(1).toInt(), right = e.captured(2).toInt(), top = e.captured(3).toInt(),
                  bottom = e.captured(4).toInt();
        return {QRect(number("Absolute upper-left X") - left, number("Absolute upper-left Y") - top,
                      number("Width") + left + right, number("Height") + top + bottom)};
    }

    // Both windows once they have stopped moving.
    std::pair<Placed, Placed> settledWindows() {
        panel_ = waitForWindow(kPanelTitle);
        display_ = waitForWindow(kDisplayTitle);
        if (panel_.isEmpty() || display_.isEmpty()) return {};
        std::pair<Placed, Placed> last{placed(panel_), placed(display_)};
        QElapsedTimer t;
        t.start();
        // Still for a second: on a busy machine the program may take its
        // time to put a window right once the window manager has framed it.
        for (int same = 0; same < 5 && t.elapsed() < kWaitMs;) {
            QThread::msleep(200);
            const std::pair<Placed, Placed> now{placed(panel_), placed(display_)};
            same = now == last ? same + 1 : 0;
            last = now;
        }
        return last;
    }

    void move(const QString& id, QPoint to) const {
        x_.run(QStringLiteral("xdotool"), {QStringLiteral("windowmove"), id, QString::number(to.x()), QString::number(to.y())});
    }
    const QString& panel() const { return panel_; }
    const QString& display() const { return display_; }

    // Closes the panel from its close box, as the window manager sends it,
    // and answers はい to the quit question. True when the program ended
    // well.
    bool quit() {
        x_.run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), panel_});
        const QString box = waitForWindow(kQuitTitle);
        if (box.isEmpty()) return false;
        answer(box); // はい is the box's default button
        return endedWell();
    }

    // Presses Return in the message box `box` until it goes or the program
    // ends.
    void answer(const QString& box) {
        QElapsedTimer t;
        t.start();
        const auto shown = [&] {
            for (const auto& [title, id] : windows())
                if (id == box) return true;
            return false;
        };
        while (process_.state() == QProcess::Running && t.elapsed() < kWaitMs && shown()) {
            x_.run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), box,
                                                QStringLiteral("key"), QStringLiteral("Return")});
            process_.waitForFinished(1000);
        }
    }

    // True once the program has ended of itself with exit code 0.
    bool endedWell() {
        process_.waitForFinished(kWaitMs);
        return process_.state() == QProcess::NotRunning && process_.exitStatus() == QProcess::NormalExit &&
               process_.exitCode() == 0;
    }
    // True when the program ends within `ms` milliseconds.
    bool endsWithin(int ms) { return process_.waitForFinished(ms); }
    qint64 processId() const { return process_.processId(); }

    // What the program printed, and how it ended, for a failure message.
    std::string output() {
        QString s = QString::fromLocal8Bit(process_.readAll());
        if (process_.state() == QProcess::NotRunning)
            s += QStringLiteral("[ended: exit code %1, %2]").arg(process_.exitCode()).arg(process_.errorString());
        return s.toStdString();
    }

private:
    const XSession& x_;
    QProcess process_;
    QString panel_;
    QString display_;
};

} // namespace xsession
