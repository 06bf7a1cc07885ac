#!/usr/bin/env python3
"""A real trip ridden fast: how well the display keeps the timetable.

Writes a GTFS-JP feed of a 54-stop rural route (legs of one to three
minutes, times to the minute as operators publish them, readings for every
stop), turns it into the simulator's files with ferrotab-data, starts the
real program with the real espeak-ng voice (SDL_AUDIODRIVER=dummy keeps it
silent with the same timing), rides the route with ferrotab-ctl at the
given speed and watches the events. For every stop it prints when the
display moved to it against its arrival on the ride's clock (the timetable
scaled by the speed, from the route setting on), then the largest
difference over the trip, how late the last stop came, and how many
announcements played and were skipped.

    bench/ride_trip.py [BUILD] [--speed 30] [--keep]
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile
import threading
import time

# (name, reading): a trip from the station through the town to a spa in the hills.
STOPS = [
    ("桜川駅北口", "サクラガワエキキタグチ"), ("本町一丁目", "ホンマチイッチョウメ"), ("本町三丁目", "ホンマチサンチョウメ"),
    ("市役所前", "シヤクショマエ"), ("中央公園", "チュウオウコウエン"), ("県庁前", "ケンチョウマエ"),
    ("裁判所前", "サイバンショマエ"), ("中央図書館", "チュウオウトショカン"), ("商工会議所", "ショウコウカイギショ"),
    ("大手町", "オオテマチ"), ("城址公園入口", "ジョウシコウエンイリグチ"), ("二の丸", "ニノマル"),
    ("北高校前", "キタコウコウマエ"), ("緑町", "ミドリチョウ"), ("緑町四丁目", "ミドリチョウヨンチョウメ"),
    ("桜川郵便局前", "サクラガワユウビンキョクマエ"), ("東消防署前", "ヒガシショウボウショマエ"), ("市民病院", "シミンビョウイン"),
    ("若葉台入口", "ワカバダイイリグチ"), ("若葉台一丁目", "ワカバダイイッチョウメ"), ("若葉台小学校", "ワカバダイショウガッコウ"),
    ("若葉台三丁目", "ワカバダイサンチョウメ"), ("若葉台センター", "ワカバダイセンター"), ("春日神社前", "カスガジンジャマエ"),
    ("上川原", "カミカワラ"), ("川原橋", "カワラバシ"), ("下川原", "シモカワラ"),
    ("水道局前", "スイドウキョクマエ"), ("新田", "シンデン"), ("新田北", "シンデンキタ"),
    ("工業団地入口", "コウギョウダンチイリグチ"), ("工業団地中央", "コウギョウダンチチュウオウ"), ("運動公園", "ウンドウコウエン"),
    ("総合体育館", "ソウゴウタイイクカン"), ("古町", "フルマチ"), ("寺前", "テラマエ"),
    ("西光寺", "サイコウジ"), ("梅ヶ丘", "ウメガオカ"), ("梅ヶ丘二丁目", "ウメガオカニチョウメ"),
    ("梅ヶ丘団地", "ウメガオカダンチ"), ("松原", "マツバラ"), ("松原農協前", "マツバラノウキョウマエ"),
    ("一本松", "イッポンマツ"), ("峠口", "トウゲグチ"), ("山の神", "ヤマノカミ"),
    ("滝沢", "タキザワ"), ("滝沢温泉入口", "タキザワオンセンイリグチ"), ("滝沢小学校前", "タキザワショウガッコウマエ"),
    ("宮下", "ミヤシタ"), ("宮下公民館", "ミヤシタコウミンカン"), ("上宮下", "カミミヤシタ"),
    ("奥沢", "オクサワ"), ("奥沢橋", "オクサワバシ"), ("奥沢温泉", "オクサワオンセン"),
]
# Minutes from one stop to the next, in the town and then in the hills; a
# minute's wait at the hospital and the sports park.
LEGS = [1, 2, 1, 1, 2, 1, 1, 2, 1, 1, 2, 1, 2, 1, 1, 2, 2, 1, 2, 1, 1, 2, 1, 2, 1, 1, 2, 3, 1, 2,
        1, 2, 2, 1, 1, 2, 1, 2, 1, 1, 2, 3, 2, 2, 3, 1, 2, 1, 2, 1, 2, 3, 1]
WAITS = {18: 1, 33: 1}
NUMBER = 54


def hms(seconds):
    return "%02d:%02d:%02d" % (seconds // 3600, seconds // 60 % 60, seconds % 60)


def write_feed(folder):
    def write(name, lines):
        with open(os.path.join(folder, name), "w", encoding="utf-8", newline="\r\n") as f:
            f.write("\n".join(lines) + "\n")

    write("agency.txt", ["agency_id,agency_name,agency_url,agency_timezone",
                         "A1,桜川交通,https://example.jp/,Asia/Tokyo"])
    write("routes.txt", ["route_id,agency_id,route_short_name,route_long_name,route_type",
                         "R1,A1,54,奥沢温泉線,3"])
    write("trips.txt", ["route_id,service_id,trip_id,trip_headsign,direction_id", "R1,WD,T1,奥沢温泉,0"])
    # A fare zone every four stops: 170 yen, and 40 more for each zone further.
    write("stops.txt", ["stop_id,stop_name,stop_lat,stop_lon,zone_id"] +
          ["S%d,%s,36.%04d,139.%04d,Z%d" % (i, name, 1000 + 37 * i, 2000 + 41 * i, (i - 1) // 4)
           for i, (name, _) in enumerate(STOPS, 1)])
    zones = (len(STOPS) - 1) // 4 + 1
    write("fare_attributes.txt", ["fare_id,price,currency_type,payment_method,transfers"] +
          ["F%d,%d,JPY,0,0" % (d, 170 + 40 * d) for d in range(zones)])
    write("fare_rules.txt", ["fare_id,route_id,origin_id,destination_id"] +
          ["F%d,R1,Z%d,Z%d" % (b - a, a, b) for a in range(zones) for b in range(a, zones)])
    write("translations.txt", ["table_name,field_name,language,translation,record_id,field_value"] +
          ["stops,stop_name,ja-Hrkt,%s,,%s" % (reading, name) for name, reading in STOPS])
    times, t = [], 7 * 3600
    for i in range(1, len(STOPS) + 1):
        arrive = t
        t += 60 * WAITS.get(i, 0)
        times.append((arrive, t))
        if i < len(STOPS):
            t += 60 * LEGS[i - 1]
    write("stop_times.txt", ["trip_id,arrival_time,departure_time,stop_id,stop_sequence"] +
          ["T1,%s,%s,S%d,%d" % (hms(a), hms(d), i, i) for i, (a, d) in enumerate(times, 1)])


def read_timetable(path):
    rows = []
    with open(path, encoding="utf-8-sig") as f:
        for line in f.read().splitlines()[1:]:
            if not line.strip():
                continue
            _, arrive, depart = [x.strip() for x in line.split(",")]
            secs = lambda v: None if not v else sum(int(p) * m for p, m in zip(v.split(":"), (3600, 60, 1)))
            rows.append((secs(arrive), secs(depart)))
    return rows


def scaled_arrivals(rows, speed, max_gap=30.0):
    """Each stop's arrival on the ride's clock, seconds from the route setting."""
    cap = lambda s: min(max(s, 0) / speed, max_gap)
    out, at = [0.0], 0.0
    for (a0, d0), (a1, d1) in zip(rows, rows[1:]):
        leaves = d0 if d0 is not None else a0
        if a0 is not None and d0 is not None:
            at += cap(d0 - a0)
        at += cap((a1 if a1 is not None else d1) - leaves)
        out.append(at)
    return out


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build", nargs="?", default="build")
    ap.add_argument("--speed", type=float, default=30)
    ap.add_argument("--keep", action="store_true", help="keep the feed and the device folder")
    args = ap.parse_args()
    build = os.path.abspath(args.build)
    program = os.path.join(build, "src/app/ferrotab")
    ctl = os.path.join(build, "tools/ferrotab-ctl")
    data = os.path.join(build, "tools/ferrotab-data")
    for tool in (program, ctl, data):
        if not os.access(tool, os.X_OK):
            sys.exit("build %s first" % tool)

    work = tempfile.mkdtemp(prefix="ferrotab_ride_trip_")
    feed, device, runtime = (os.path.join(work, d) for d in ("feed", "device", "runtime"))
    for d in (feed, device, runtime):
        os.makedirs(d, mode=0o700)
    write_feed(feed)
    subprocess.run([data, "gtfs", feed, "--route", "R1", "--number", str(NUMBER), "-o", device],
                   check=True, stdout=subprocess.DEVNULL)
    rows = read_timetable(os.path.join(device, "%dtt.csv" % NUMBER))
    schedule = scaled_arrivals(rows, args.speed)

    env = dict(os.environ, XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="offscreen", SDL_AUDIODRIVER="dummy")
    env.pop("FERROTAB_CONTROL", None)
    os.symlink(program, os.path.join(device, "LED-84"))
    device_proc = subprocess.Popen([os.path.join(device, "LED-84"), "--control", "--control-port", "0"],
                                   cwd=device, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    events = []
    try:
        deadline = time.monotonic() + 30
        # The device announces itself once its interface listens.
        while not os.path.exists(os.path.join(runtime, "ferrotab", "%d.json" % device_proc.pid)):
            if time.monotonic() > deadline:
                sys.exit("the program did not start its control interface")
            time.sleep(0.05)
        watcher = subprocess.Popen([ctl, "watch"], env=env, stdout=subprocess.PIPE, text=True)

        def read():
            for line in watcher.stdout:
                events.append((time.monotonic(), json.loads(line)))

        reader = threading.Thread(target=read, daemon=True)
        reader.start()
        time.sleep(0.5)
        started = subprocess.run([ctl, "ride", "start", str(NUMBER), "--speed", "%g" % args.speed], env=env,
                                 capture_output=True, text=True)
        if started.returncode != 0:
            sys.exit("the ride did not start: " + started.stderr.strip())
        deadline = time.monotonic() + schedule[-1] + 60
        while not any(e["event"] == "rideEnded" for _, e in events) and time.monotonic() < deadline:
            time.sleep(0.1)
        watcher.terminate()
    finally:
        device_proc.terminate()
        device_proc.wait(15)

    # The ride's clock starts as its route is set and the first stop shows.
    t0 = next((t for t, e in events if e["event"] == "routeSet"), None)
    if t0 is None:
        sys.exit("the route was not set")
    shown = {}
    for t, e in events:
        stop = e["state"].get("stop") or {}
        if t >= t0 and e["event"] == "stopChanged" and stop.get("row") not in shown:
            shown[stop.get("row")] = t - t0
    said = sum(1 for t, e in events if t >= t0 and e["event"] == "announcementStarted")
    skipped = sum(1 for t, e in events if e["event"] == "rideAnnouncementSkipped")
    ended = next((t - t0 for t, e in events if e["event"] == "rideEnded"), None)

    print("route: %d stops, %s to %s, ridden at %g times real speed" %
          (len(rows), hms(rows[0][1]), hms(rows[-1][0]), args.speed))
    print("stop  scheduled  shown  difference (s)")
    diffs = []
    for row in range(2, len(rows) + 1):
        at = shown.get(row)
        diff = float("inf") if at is None else at - schedule[row - 1]
        diffs.append(diff)
        print("%4d  %9.2f  %5s  %s" % (row, schedule[row - 1], "-" if at is None else "%.2f" % at,
                                       "never shown" if at is None else "%+.2f" % diff))
    print("largest difference between a stop's scaled arrival and its display change: %.2f s "
          "(early by up to %.2f s, late by up to %.2f s)" %
          (max(abs(d) for d in diffs), max(0, -min(diffs)), max(0, max(diffs))))
    print("the ride ended %.2f s after the last stop's scaled arrival" % ((ended or float("nan")) - schedule[-1]))
    print("announcements: %d played, %d skipped" % (said, skipped))
    if args.keep:
        print("kept in", work)
    else:
        subprocess.run(["rm", "-rf", work])


if __name__ == "__main__":
    main()
