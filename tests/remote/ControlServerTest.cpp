// The control interface of the running program, from real clients: what it
// refuses over the wire, the panel and the display following commands from
// outside, events as they happen, a burst of commands through names that
// scroll, a client that leaves halfway, and a renewed token.
#include "tests/remote/RemoteFixture.h"

#include "display/M_Degit.h"
#include "panel/frmCtl.h"
#include "platform/Activity.h"
#include "route/mdlOrv_000.h"

#include <QCheckBox>
#include <QTcpSocket>
#include <QTest>
#include <QThread>
#include <atomic>
#include <QJsonArray>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {

class ControlServer : public Remote {};

const QByteArray kStateRequest = "GET /state HTTP/1.1\r\nHost: 127.0.0.1:%1\r\n\r\n";

// What the device shows for ticket 1 (null when blank).
QJsonValue ticket1(const Client::Reply& r) {
    return r.state().value(QStringLiteral("fares")).toArray().at(0);
}

QByteArray request(const QByteArray& form, quint16 port) {
    return QByteArray(form).replace("%1", QByteArray::number(port));
}

} // namespace

TEST_F(ControlServer, RefusesOverTheWireAndChangesNothing) {
    start({32, 16, 300, 60000, 4 << 20});
    remote([&](Client& c) {
        // Refused by the device's state: no route is set yet.
        const Client::Reply noRoute = c.command(QStringLiteral("next"));
        EXPECT_EQ(noRoute.status, 409);
        EXPECT_EQ(noRoute.code(), QStringLiteral("no_route"));
        EXPECT_FALSE(noRoute.state().value(QStringLiteral("routeSet")).toBool());
        EXPECT_EQ(c.command(QStringLiteral("next"), {}, "wrong").code(), QStringLiteral("bad_token"));
        EXPECT_EQ(c.post(QStringLiteral("/command/next"), {}).code(), QStringLiteral("token_required"));
        EXPECT_EQ(c.command(QStringLiteral("fly")).status, 404);
        EXPECT_EQ(c.command(QStringLiteral("goto"), QStringLiteral("row=7x")).code(),
                  QStringLiteral("bad_parameter"));
        EXPECT_EQ(c.get(QStringLiteral("/state"), {{"Origin", "http://evil.example"}}).code(),
                  QStringLiteral("bad_origin"));
        EXPECT_EQ(c.post(QStringLiteral("/command/goto?token=") + QString::fromLatin1(c.token()), "{\"row\":")
                      .code(),
                  QStringLiteral("bad_json"));
        // Bare connections: a name not ours, a body over the limit, a request
        // that never ends, bytes that are no HTTP.
        EXPECT_TRUE(
            c.raw("GET /state HTTP/1.1\r\nHost: rebound.example:80\r\n\r\n").startsWith("HTTP/1.1 403"));
        const QByteArray big =
            request("POST /command/next HTTP/1.1\r\nHost: 127.0.0.1:%1\r\nContent-Length: 70000\r\n\r\n",
                    c.url({}).port()) +
            QByteArray(70000, '{');
        const QByteArray tooLarge = c.raw(big);
        EXPECT_TRUE(tooLarge.startsWith("HTTP/1.1 413")) << tooLarge.left(80).constData();
        EXPECT_TRUE(tooLarge.endsWith("[closed]"));
        const QByteArray slow =
            c.raw(request("GET /state HTTP/1.1\r\nHost: 127.0.0.1:%1\r\n", c.url({}).port()));
        EXPECT_TRUE(slow.startsWith("HTTP/1.1 408")) << slow.constData();
        EXPECT_TRUE(c.raw("\x16\x03\x01 not http at all\r\n\r\n").endsWith("[closed]"));
        // A page of another site cannot watch.
        EXPECT_EQ(c.open(false, "http://evil.example"), nullptr);
        // And the interface still answers.
        EXPECT_TRUE(c.raw(request(kStateRequest, c.url({}).port()), 300).startsWith("HTTP/1.1 200"));
    });
    EXPECT_FALSE(program->panel().routeIsSet());
    EXPECT_EQ(mdlOrv_000::state().CurrentRow, 0);
    EXPECT_TRUE(audio.script().commands.isEmpty());
    EXPECT_TRUE(boxes.shown().empty());
}

// The phone's page: its own files with their types, under headers that let
// it run nothing but its own script and leave no address behind.
TEST_F(ControlServer, ThePhonePageIsServedUnderStrictHeaders) {
    start();
    remote([&](Client& c) {
        const quint16 port = c.url({}).port();
        const QByteArray page = c.raw(request("GET / HTTP/1.1\r\nHost: 127.0.0.1:%1\r\n\r\n", port), 300);
        const QByteArray script =
            c.raw(request("GET /panel.js HTTP/1.1\r\nHost: 127.0.0.1:%1\r\n\r\n", port), 300);
        const QByteArray style =
            c.raw(request("GET /panel.css HTTP/1.1\r\nHost: 127.0.0.1:%1\r\n\r\n", port), 300);
        for (const QByteArray& answer : {page, script, style}) {
            EXPECT_TRUE(answer.startsWith("HTTP/1.1 200")) << answer.left(200).constData();
            EXPECT_TRUE(answer.contains("\r\nContent-Security-Policy: default-src 'self';"));
            EXPECT_TRUE(answer.contains("\r\nX-Content-Type-Options: nosniff\r\n"));
            EXPECT_TRUE(answer.contains("\r\nReferrer-Policy: no-referrer\r\n"));
        }
        EXPECT_TRUE(page.contains("\r\nContent-Type: text/html; charset=utf-8\r\n"));
        EXPECT_TRUE(script.contains("\r\nContent-Type: text/javascript; charset=utf-8\r\n"));
        EXPECT_TRUE(style.contains("\r\nContent-Type: text/css; charset=utf-8\r\n"));
        // Whole, from the resources, and with no script written into the page.
        EXPECT_TRUE(page.contains("<script src=\"/panel.js\" defer></script>"));
        EXPECT_FALSE(page.contains("<script>"));
        EXPECT_TRUE(page.contains(QStringLiteral("データ送り").toUtf8()));
        EXPECT_TRUE(script.contains(QStringLiteral("接続できません（トークンが違います）").toUtf8()));
        // Nothing else of the resources, however asked.
        EXPECT_EQ(c.get(QStringLiteral("/index.html")).status, 404);
        EXPECT_EQ(c.get(QStringLiteral("/web/panel.js")).status, 404);
        EXPECT_EQ(c.get(QStringLiteral("/%2Fpanel.js")).status, 404);
        EXPECT_EQ(c.post(QStringLiteral("/"), {}).code(), QStringLiteral("method_not_allowed"));
    });
}

TEST_F(ControlServer, ThePanelFollowsCommandsFromOutsideAndEventsTell) {
    start();
    frmCtl& panel = program->panel();
    speech->status = 1; // the voice keeps speaking until told otherwise
    remote([&](Client& c) {
        const auto watcher = c.open(false);
        ASSERT_NE(watcher, nullptr);

        // The keypad page key by key, as the phone's page presses it: 系統 1
        // 区間 1, each key shown on the page's displays, then its リセット.
        QJsonObject entry;
        for (const char* key : {"route", "1", "section", "1"}) {
            entry = c.command(QStringLiteral("keypad"), QStringLiteral("key=") + QLatin1String(key))
                        .state()
                        .value(QStringLiteral("entry"))
                        .toObject();
            EXPECT_EQ(watcher->nextEvent(), QStringLiteral("entry")) << key;
        }
        EXPECT_EQ(entry, (QJsonObject{{QStringLiteral("route"), QStringLiteral("1")},
                                      {QStringLiteral("section"), QStringLiteral("1")},
                                      {QStringLiteral("target"), QStringLiteral("section")}}));
        const Client::Reply set = c.command(QStringLiteral("keypad"), QStringLiteral("key=reset"));
        ASSERT_EQ(set.status, 200) << set.code().toStdString();
        EXPECT_EQ(
            set.state().value(QStringLiteral("stop")).toObject().value(QStringLiteral("name")).toString(),
            QStringLiteral("桜川駅（北口）"));
        EXPECT_EQ(watcher->nextEvent(), QStringLiteral("routeSet"));

        // Stop 7: the passenger holding ticket 1 pays 230.
        const Client::Reply seven = c.command(QStringLiteral("goto"), QStringLiteral("row=7"));
        EXPECT_EQ(ticket1(seven), 230);
        EXPECT_EQ(watcher->nextEvent(), QStringLiteral("stopChanged"));

        // Display clear holds the ride back; switched off, the stop returns.
        EXPECT_EQ(ticket1(c.command(QStringLiteral("clear"), QStringLiteral("on=1"))), QJsonValue());
        EXPECT_EQ(watcher->nextEvent(), QStringLiteral("displayClear"));
        EXPECT_EQ(c.command(QStringLiteral("next")).code(), QStringLiteral("cleared"));
        EXPECT_EQ(c.command(QStringLiteral("keypad"), QStringLiteral("key=7")).code(), QStringLiteral("cleared"));
        EXPECT_EQ(c.command(QStringLiteral("late"), QStringLiteral("on=1")).code(),
                  QStringLiteral("cleared"));
        c.command(QStringLiteral("clear"), QStringLiteral("on=0"));
        EXPECT_EQ(watcher->nextEvent(), QStringLiteral("displayClear"));

        // Late night doubles from the next stop on, as on the device.
        EXPECT_EQ(ticket1(c.command(QStringLiteral("late"), QStringLiteral("on=1"))), 230);
        EXPECT_EQ(c.command(QStringLiteral("back"))
                      .state()
                      .value(QStringLiteral("stop"))
                      .toObject()
                      .value(QStringLiteral("row"))
                      .toInt(),
                  6);
        c.command(QStringLiteral("backlight"), QStringLiteral("mode=2"));

        // The announcement of the next stop: approaching while it speaks.
        const Client::Reply spoken = c.command(QStringLiteral("announce"), QStringLiteral("do=next"));
        EXPECT_EQ(spoken.state().value(QStringLiteral("stopState")).toString(),
                  QStringLiteral("approaching"));
        QMetaObject::invokeMethod(
            qApp, [&] { speech->status = 0; }, Qt::BlockingQueuedConnection);
        QStringList seen;
        for (QString e = watcher->nextEvent(); !e.isEmpty() && e != u"announcementEnded";
             e = watcher->nextEvent())
            seen << e;
        EXPECT_TRUE(seen.contains(QStringLiteral("announcementStarted"))) << seen.join(u' ').toStdString();
        EXPECT_EQ(c.get(QStringLiteral("/state")).json.value(QStringLiteral("stopState")).toString(),
                  QStringLiteral("arrived"));

        // The last stop, and a route the folder does not have: refused with
        // the panel's own words, and no box waits for a click.
        c.command(QStringLiteral("goto"), QStringLiteral("row=20"));
        EXPECT_EQ(c.command(QStringLiteral("next")).code(), QStringLiteral("last_stop"));
        const Client::Reply missing = c.command(QStringLiteral("route"), QStringLiteral("route=99"));
        EXPECT_EQ(missing.code(), QStringLiteral("route_not_set"));
        EXPECT_TRUE(missing.json.value(QStringLiteral("error"))
                        .toObject()
                        .value(QStringLiteral("message"))
                        .toString()
                        .startsWith(QStringLiteral("指定した系統のデータがありません")));
    });
    EXPECT_TRUE(boxes.shown().empty());
    // The panel shows what was done: the entry on the keypad's displays, the
    // switches, the buttons a set route enables.
    EXPECT_EQ(panel.Label2[0]->text(), QStringLiteral("99"));
    EXPECT_TRUE(panel.Check2->isChecked());
    EXPECT_TRUE(panel.Option4[2]->isChecked());
    EXPECT_TRUE(panel.Command2[1]->isEnabled());
    EXPECT_EQ(mdlOrv_000::state().CurrentRow, 19);
    EXPECT_EQ(program->display().Degit[1]->Value(), QVariant(2 * 490))
        << "ticket 1 at the last stop, doubled";
}

TEST_F(ControlServer, BurstsRunInOrderPerClientWithoutNesting) {
    start();
    // How deep the stack is each time a stop is shown: a command run inside
    // another's operation would go one level deeper each time.
    const char* base = nullptr;
    std::ptrdiff_t deepest = 0;
    int shown = 0;
    QObject::connect(&program->panel(), &frmCtl::stopShown, &program->panel(), [&] {
        const char here = 0;
        deepest = std::max(deepest, base - &here);
        ++shown;
    });
    const char top = 0;
    base = &top;
    constexpr int kClients = 4, kEach = 60;
    remote([&](Client& c) {
        ASSERT_EQ(c.command(QStringLiteral("route"), QStringLiteral("route=1&section=17")).status, 200);
        std::vector<std::unique_ptr<Socket>> sockets;
        for (int i = 0; i < kClients; ++i)
            sockets.push_back(c.open(true));
        // Every client sends all its commands at once: forward and back
        // between two stops whose long names scroll.
        for (int n = 0; n < kEach; ++n)
            for (int i = 0; i < kClients; ++i)
                sockets[size_t(i)]->send(
                    {{QStringLiteral("id"), n},
                     {QStringLiteral("command"), n % 2 ? QStringLiteral("back") : QStringLiteral("next")}});
        for (int i = 0; i < kClients; ++i) {
            int expected = 0;
            while (expected < kEach) {
                const QJsonObject o = sockets[size_t(i)]->next();
                ASSERT_FALSE(o.isEmpty()) << "client " << i << " lost answer " << expected;
                if (o.contains(QStringLiteral("event"))) continue;
                EXPECT_EQ(o.value(QStringLiteral("id")).toInt(), expected) << "client " << i;
                EXPECT_TRUE(o.value(QStringLiteral("ok")).toBool()) << "client " << i;
                ++expected;
            }
        }
        // A command refused before it reaches the device (no such command,
        // a bad parameter) is answered in its turn, after those before it.
        Socket& first = *sockets[0];
        first.send({{QStringLiteral("id"), 100}, {QStringLiteral("command"), QStringLiteral("next")}});
        first.send({{QStringLiteral("id"), 101}, {QStringLiteral("command"), QStringLiteral("fly")}});
        first.send({{QStringLiteral("id"), 102}, {QStringLiteral("command"), QStringLiteral("goto")}});
        for (const int id : {100, 101, 102}) {
            QJsonObject o = first.next();
            while (o.contains(QStringLiteral("event"))) o = first.next();
            EXPECT_EQ(o.value(QStringLiteral("id")).toInt(), id);
        }
    });
    EXPECT_EQ(shown, 2 + kClients * kEach);
    EXPECT_LT(deepest, 64 * 1024) << "commands nested inside one another";
}

// A client that leaves while its command runs leaves it done, as a hand
// would; the commands it had waiting behind it are dropped, not run for
// nobody.
TEST_F(ControlServer, AClientThatLeavesMidCommandLeavesItDoneAndTheRestDropped) {
    start();
    std::atomic<bool> inLampTest{false};
    std::atomic<bool> left{false};
    time->onSleep = [&](int) {
        if (platform::currentActivity() != platform::Activity::LampTest || inLampTest) return;
        inLampTest = true;
        // The device stands still in its lamp test while the client goes.
        for (int i = 0; i < 500 && !left; ++i) QThread::msleep(10);
        QThread::msleep(100);
    };
    remote([&](Client& c) {
        QByteArray three;
        for (const char* section : {"3", "5", "7"})
            three += request("POST /command/route?route=1&section=" + QByteArray(section) +
                                 " HTTP/1.1\r\nHost: 127.0.0.1:%1\r\nAuthorization: Bearer " + c.token() +
                                 "\r\nContent-Length: 0\r\n\r\n",
                             c.url({}).port());
        QTcpSocket s;
        s.connectToHost(QStringLiteral("127.0.0.1"), c.url({}).port());
        ASSERT_TRUE(s.waitForConnected(3000));
        s.write(three);
        s.waitForBytesWritten(3000);
        EXPECT_TRUE(waitUntil([&] { return inLampTest.load(); }));
        s.abort();
        left = true;
    });
    EXPECT_TRUE(waitUntil([&] { return program->panel().routeIsSet(); }));
    QTest::qWait(300); // what was dropped would have run by now
    EXPECT_EQ(mdlOrv_000::state().CurrentRow, 2) << "the first command is done, the others dropped";
    EXPECT_EQ(mdlOrv_000::state().StartSection, 3);
}

// はい on the panel while peers stall mid-request, never read, wait for a
// command or have just gone: the quit ends, the settings saved and the
// device no longer announced.
TEST_F(ControlServer, QuittingWithPeersThatMisbehaveSavesTheSettings) {
    start();
    program->beforeShutDown = [this] { service->shutDown(); };
    remote([&](Client& c) {
        const auto watcher = c.open(false);
        const auto commander = c.open(true);
        ASSERT_TRUE(watcher && commander);
        commander->ws->setReadBufferSize(1); // never reads much
        for (int i = 0; i < 20; ++i) commander->send({{QStringLiteral("command"), QStringLiteral("backlight")},
                                                      {QStringLiteral("args"), QJsonObject{{QStringLiteral("mode"), i % 3}}}});
        QTcpSocket stalled;
        stalled.connectToHost(QStringLiteral("127.0.0.1"), port);
        ASSERT_TRUE(stalled.waitForConnected(3000));
        stalled.write("POST /command/next HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 10\r\n\r\n{");
        stalled.waitForBytesWritten(1000);
        c.open(true)->ws->abort(); // gone at once
        QMetaObject::invokeMethod(
            &program->panel(),
            [&] {
                boxes.answer(platform::MsgAnswer::Yes);
                program->panel().close();
            },
            Qt::BlockingQueuedConnection);
        EXPECT_TRUE(waitUntil([&] { return watcher->closed; }));
    });
    EXPECT_EQ(ended, 1);
    EXPECT_GE(settingsBytes().size(), settings::kEmptyRecordSize);
    EXPECT_TRUE(platform::control::runningDevices().empty());
}

// A command of the vocabulary is carried out by the device: none is
// unknown to the panel's command queue.
TEST_F(ControlServer, EveryCommandOfTheVocabularyHasItsHandler) {
    start();
    clientDone = true; // a name that scrolls gives way at once
    const auto client = std::make_shared<panel::ClientTicket>();
    for (const protocol::CommandShape& shape : protocol::commandShapes()) {
        QList<QPair<QString, QString>> given;
        for (const protocol::Parameter& p : shape.parameters)
            if (p.required) given.append({p.name, p.choices.isEmpty() ? QStringLiteral("1") : p.choices.constLast()});
        const auto call = protocol::checkedCommand(shape.name, given);
        ASSERT_TRUE(std::holds_alternative<protocol::CommandCall>(call)) << shape.name.toStdString();
        std::optional<panel::Outcome> outcome;
        service->driver().submit(std::get<protocol::CommandCall>(call), client,
                                 [&outcome](const panel::Outcome& o) { outcome = o; });
        ASSERT_TRUE(waitUntil([&] { return outcome.has_value(); })) << shape.name.toStdString();
        if (outcome->refusal) EXPECT_NE(outcome->refusal->kind, protocol::RefusalKind::UnknownCommand) << shape.name.toStdString();
    }
}

TEST_F(ControlServer, ARenewedTokenLetsGoOfItsHolders) {
    start();
    remote([&](Client& c) {
        const auto holder = c.open(true);
        const auto watcher = c.open(false);
        ASSERT_TRUE(holder && watcher);
        const Client::Reply renewed = c.renewToken();
        EXPECT_EQ(renewed.status, 200);
        EXPECT_FALSE(QJsonDocument(renewed.json).toJson().contains(c.token())) << "the token is never echoed";
        EXPECT_TRUE(waitUntil([&] { return holder->closed; }));
        EXPECT_FALSE(watcher->closed);
        EXPECT_EQ(c.command(QStringLiteral("next")).code(), QStringLiteral("bad_token"));
    });
    const QByteArray renewed = platform::control::loadControlFile(controlFile).settings.token;
    EXPECT_TRUE(platform::control::isTokenForm(renewed));
    EXPECT_NE(renewed, token);
}

TEST_F(ControlServer, APortInUseIsSaidAndTheProgramRunsOn) {
    start();
    remote::ControlService second(program->panel(), program->display(), controlFile);
    second.start({true, port, std::nullopt});
    EXPECT_FALSE(second.listening());
    EXPECT_TRUE(second.problem().contains(QString::number(port)));
    EXPECT_TRUE(program->panel().Command8->toolTip().contains(second.problem()));
}

TEST_F(ControlServer, ADamagedControlFileIsKeptAsideWhenTheInterfaceIsAskedFor) {
    QFile bad(controlFile);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("{\"port\": \"many\"}");
    bad.close();
    start();
    EXPECT_TRUE(QFile::exists(controlFile + QStringLiteral(".bad")));
    EXPECT_TRUE(platform::control::isTokenForm(token));
    // Not asked for, a damaged file is reported and left alone.
    QFile::remove(controlFile);
    QFile::copy(controlFile + QStringLiteral(".bad"), controlFile);
    remote::ControlService off(program->panel(), program->display(), controlFile);
    off.start({});
    EXPECT_TRUE(off.problem().contains(QStringLiteral("port")));
    EXPECT_FALSE(off.listening());
}
