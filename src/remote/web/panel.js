// The driver's panel on a phone: every key press becomes one of the control
// interface's commands, sent over the WebSocket with the access token; what
// the device shows comes back as events and is drawn here. The page keeps no
// state of its own beyond the last state the device sent, so the PC's panel,
// scripts and this page always agree.
"use strict";

(() => {
  const TOKEN_REFUSED = "接続できません（トークンが違います）";
  const CONNECTING = "接続しています…";
  const RECONNECTING = "再接続しています…";
  const DEVICE_QUIT = "装置が終了しました。再接続しています…";
  const NOT_SENT = "装置につながっていないため送れませんでした";
  const FIRST_RETRY_MS = 500;
  const LONGEST_RETRY_MS = 3000;
  const MESSAGE_MS = 4000;
  const QUIT_EVENT = "quit";

  // The token travels in the address's fragment: the browser never sends
  // that part to a server or in a Referer header.
  const token = new URLSearchParams(location.hash.slice(1)).get("token") || "";
  const auth = { Authorization: "Bearer " + token };

  const $ = (id) => document.getElementById(id);
  const status = $("status");
  const message = $("message");
  const picture = $("display");
  const display = FerrotabDisplay.create(picture, { token });
  display.onResize(() => { picture.hidden = false; });
  const buttons = () => document.querySelectorAll("main button, main select");
  const STRIP_EVENT = "strip";

  let socket = null;
  let nextId = 1;
  // The interface's vocabulary (GET /protocol): a button whose command the
  // device does not take stays off.
  let vocabulary = null;
  let retryMs = FIRST_RETRY_MS;
  let refused = false;
  let quitting = false;
  let messageTimer = 0;

  // ---- what the page says -------------------------------------------------------------

  function say(text, waiting) {
    status.textContent = text;
    status.hidden = !text;
    status.classList.toggle("waiting", Boolean(waiting));
  }

  function tell(text) {
    message.textContent = text;
    message.hidden = false;
    clearTimeout(messageTimer);
    messageTimer = setTimeout(() => { message.hidden = true; }, MESSAGE_MS);
  }

  function usable(on) {
    for (const b of buttons()) b.disabled = !on || b.dataset.unknown === "true";
  }

  function commandOf(name) {
    return vocabulary && vocabulary.commands.find((c) => c.name === name);
  }

  // Whether the device takes `command` with these arguments' names and, for
  // a choice, their values.
  function taken(command, args) {
    const c = commandOf(command);
    if (!c) return false;
    return Object.entries(args || {}).every(([name, value]) => {
      const p = c.parameters.find((q) => q.name === name);
      return p && (p.kind !== "choice" || p.choices.includes(String(value)));
    });
  }

  // ---- the device's state --------------------------------------------------------------

  function render(state) {
    if (!state || typeof state !== "object") return;
    const stop = state.stop;
    const name = $("stop");
    name.textContent = stop ? stop.name : "\u00a0";
    name.classList.toggle("cleared", Boolean(state.cleared));
    $("route-set").textContent = state.routeSet
      ? `系統 ${state.route}　区間 ${state.section}　${stop ? stop.row : "-"}/${state.rows}` +
        (state.cleared ? "　表示消去中" : "")
      : "系統未設定";

    const entry = state.entry || {};
    const route = $("entry-route");
    const section = $("entry-section");
    route.textContent = entry.route || "";
    section.textContent = entry.section || "";
    route.classList.toggle("target", entry.target === "route");
    section.classList.toggle("target", entry.target !== "route");

    $("clear").setAttribute("aria-checked", String(Boolean(state.cleared)));
    $("late").setAttribute("aria-checked", String(Boolean(state.lateNight)));
    for (const b of document.querySelectorAll("[data-backlight]"))
      b.setAttribute("aria-checked", String(Number(b.dataset.backlight) === state.backlight));
    const ride = state.ride || {};
    $("ride").setAttribute("aria-checked", String(Boolean(ride.running)));
    $("ride-next").textContent = ride.running && ride.nextStopName
      ? `次は ${ride.nextStopName}` + (ride.nextStopTime ? `　${ride.nextStopTime}` : "")
      : "";
    const speaking = Boolean(state.announcement && state.announcement.speaking);
    document.querySelector("[aria-labelledby='tape-caption']").classList.toggle("speaking", speaking);
  }

  // ---- talking to the device -------------------------------------------------------------

  function send(command, args) {
    if (!socket || socket.readyState !== WebSocket.OPEN) {
      tell(NOT_SENT);
      return;
    }
    const id = nextId++;
    socket.send(JSON.stringify(args ? { id, command, args } : { id, command }));
  }

  function onMessage(text) {
    let msg;
    try { msg = JSON.parse(text); } catch (e) { return; }
    if (msg.event) {
      if (msg.event === QUIT_EVENT) quitting = true;
      render(msg.state);
      // The strip's motion alone the page moves itself.
      display.update(msg.state, msg.event !== STRIP_EVENT);
      return;
    }
    // An answer: a refusal is said in the interface's own words.
    if (msg.ok === false && msg.error) tell(msg.error.message);
    if (msg.state) render(msg.state);
  }

  function tokenRefused() {
    refused = true;
    usable(false);
    say(TOKEN_REFUSED, false);
  }

  function retry() {
    usable(false);
    say(quitting ? DEVICE_QUIT : RECONNECTING, true);
    setTimeout(connect, retryMs);
    retryMs = Math.min(retryMs * 2, LONGEST_RETRY_MS);
  }

  // First the token is shown to /state: a WebSocket refused at its opening
  // cannot tell a wrong token from a device that is not there.
  async function connect() {
    if (!token) { tokenRefused(); return; }
    let r;
    try {
      if (!vocabulary) {
        vocabulary = await (await fetch("/protocol", { cache: "no-store" })).json();
        wire();
      }
      r = await fetch("/state", { headers: auth, cache: "no-store" });
    } catch (e) {
      retry();
      return;
    }
    if (r.status === 401) { tokenRefused(); return; }
    if (!r.ok) { retry(); return; }
    try {
      const state = await r.json();
      render(state);
      display.update(state, true);
    } catch (e) {
      // The socket's state follows.
    }
    open();
  }

  function open() {
    const scheme = location.protocol === "https:" ? "wss:" : "ws:";
    const ws = new WebSocket(`${scheme}//${location.host}/ws?display=true&token=${encodeURIComponent(token)}`);
    socket = ws;
    ws.onopen = () => {
      retryMs = FIRST_RETRY_MS;
      quitting = false;
      say("");
      usable(true);
      // Whatever changed between /state and now.
      send("state");
    };
    ws.onmessage = (m) => onMessage(m.data);
    ws.onclose = () => {
      if (socket !== ws) return;
      socket = null;
      if (!refused) retry();
    };
  }

  // ---- the keys ------------------------------------------------------------------------------

  // Each button and the command it sends; one the vocabulary does not have
  // is left off.
  function press(b, command, args) {
    if (!taken(command, args ? args() : undefined)) {
      b.dataset.unknown = "true";
      b.disabled = true;
      return;
    }
    b.addEventListener("click", () => send(command, args ? args() : undefined));
  }

  function wire() {
    for (const b of document.querySelectorAll("[data-key]")) press(b, "keypad", () => ({ key: b.dataset.key }));
    for (const b of document.querySelectorAll("[data-command]")) press(b, b.dataset.command);
    for (const b of document.querySelectorAll("[data-switch]"))
      press(b, b.dataset.switch, () => ({ on: b.getAttribute("aria-checked") !== "true" }));
    for (const b of document.querySelectorAll("[data-announce]"))
      press(b, "announce", () => ({ do: b.dataset.announce }));
    for (const b of document.querySelectorAll("[data-backlight]"))
      press(b, "backlight", () => ({ mode: b.dataset.backlight }));

    // The ride of the route keyed in or set, at a speed of the panel's menu.
    const speed = $("ride-speed");
    const ride = commandOf("ride");
    const speeds = ride ? (ride.parameters.find((p) => p.name === "speed") || {}).presets || [] : [];
    for (const s of speeds) speed.add(new Option(s.caption, String(s.value)));
    const rideSwitch = $("ride");
    press(rideSwitch, "ride", () => rideSwitch.getAttribute("aria-checked") === "true"
      ? { do: "stop" }
      : { do: "start", speed: Number(speed.value || 1) });
    if (rideSwitch.dataset.unknown === "true") speed.dataset.unknown = "true";
  }

  message.addEventListener("click", () => { message.hidden = true; });
  usable(false);
  say(CONNECTING, true);
  connect();
})();
