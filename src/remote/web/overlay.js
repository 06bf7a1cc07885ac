// The overlay page: the fare display alone, live, for a stream's browser
// source. ?part=fares|strip|all, ?background=transparent, ?scale=N (or it
// fits the window). On this machine it needs no token; from another machine
// it is asked for with the token in the query (?token=...).
"use strict";

(() => {
  const FIRST_RETRY_MS = 500;
  const LONGEST_RETRY_MS = 3000;
  const STRIP_EVENT = "strip";

  const query = new URLSearchParams(location.search);
  // From another machine the page itself is asked for with the token (in
  // the query, as a browser source cannot send a header).
  const token = new URLSearchParams(location.hash.slice(1)).get("token") || query.get("token") || "";
  const canvas = document.getElementById("device");
  const display = FerrotabDisplay.create(canvas, { part: query.get("part") || "all", token });
  const scale = Number(query.get("scale"));
  window.ferrotabDisplay = display;

  if (query.get("background") === "transparent") {
    document.documentElement.classList.add("transparent");
    document.body.classList.add("transparent");
  }

  // The device's proportions kept: a scale asked for, or the largest that
  // fits the window.
  let size = null;
  function place() {
    if (!size) return;
    const s = scale > 0 ? scale : Math.min(innerWidth / size.width, innerHeight / size.height);
    canvas.style.width = `${size.width * s}px`;
    canvas.style.height = `${size.height * s}px`;
  }
  display.onResize((r) => { size = r; place(); });
  addEventListener("resize", place);

  let retryMs = FIRST_RETRY_MS;
  function retry() {
    setTimeout(connect, retryMs);
    retryMs = Math.min(retryMs * 2, LONGEST_RETRY_MS);
  }

  async function readState() {
    const r = await fetch("/state", { headers: token ? { Authorization: "Bearer " + token } : {}, cache: "no-store" });
    if (!r.ok) throw new Error(String(r.status));
    display.update(await r.json(), true);
  }

  async function connect() {
    try {
      await readState();
    } catch (e) {
      retry();
      return;
    }
    const scheme = location.protocol === "https:" ? "wss:" : "ws:";
    const ws = new WebSocket(`${scheme}//${location.host}/ws?display=true` +
      (token ? "&token=" + encodeURIComponent(token) : ""));
    ws.onopen = () => {
      retryMs = FIRST_RETRY_MS;
      // Whatever changed between /state and now.
      readState().catch(() => {});
    };
    ws.onmessage = (m) => {
      let msg;
      try { msg = JSON.parse(m.data); } catch (e) { return; }
      if (msg.event) display.update(msg.state, msg.event !== STRIP_EVENT);
    };
    ws.onclose = retry;
  }

  connect();
})();
