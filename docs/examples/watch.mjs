// Watches the fare display and moves the bus on, from Node.js (18 or later;
// the WebSocket from npm's "ws", installed here with `npm ci`).
//   FERROTAB_TOKEN=$(ferrotab-ctl token) node watch.mjs [EVENTS]
// Prints the stop the device shows, moves it one stop on with a command over
// the WebSocket, then prints each event as it comes (EVENTS of them, default
// 5) with the stop's name.
import WebSocket from "ws";

const base = process.env.FERROTAB_URL ?? "http://127.0.0.1:50845";
const token = process.env.FERROTAB_TOKEN;
const events = Number(process.argv[2] ?? 5);
const stopName = (s) => (s.stop ? s.stop.name : "-");

const state = await (await fetch(`${base}/state`, { headers: { Authorization: `Bearer ${token}` } })).json();
console.log("now:", stopName(state));

const ws = new WebSocket(`${base.replace("http", "ws")}/ws?token=${token}`);
let seen = 0;
ws.on("open", () => ws.send(JSON.stringify({ id: 1, command: "next" })));
ws.on("message", (data) => {
  const message = JSON.parse(data);
  if (message.event) {
    console.log(message.event, stopName(message.state));
    if (++seen >= events) ws.close();
  } else if (message.id === 1 && !message.ok) {
    console.log("refused:", message.error.message);
    process.exitCode = 1;
    ws.close();
  }
});
