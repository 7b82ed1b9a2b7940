// The page's behaviour: the state arrives by Server-Sent Events; every click becomes a command to the
// host, which hands it to the module's dialogs; the page draws what the host sends back.
"use strict";

const $ = (selector) => document.querySelector(selector);
let shownVersion = 0;
let shownDialogs = "";
let shownStateMessage = "";

function showMessage(text) {
  const box = $("#message");
  box.textContent = text || "";
  box.hidden = !text;
}

async function command(path, body) {
  const response = await fetch(path, {
    method: "POST",
    headers: { "Content-Type": "application/json" },
    body: JSON.stringify(body),
  });
  const answer = await response.json().catch(() => ({ error: "the host sent no answer" }));
  if (!response.ok) showMessage(answer.error);
  return response.ok;
}

function element(tag, attributes, text) {
  const made = document.createElement(tag);
  for (const [key, value] of Object.entries(attributes || {})) made.setAttribute(key, value);
  if (text !== undefined) made.textContent = text;
  return made;
}

// Each show's audience per day as bars, the days one after the other; a running show is grey.
function chart(state, index) {
  const days = state.days.concat([state.today]).slice(-7);
  const bars = [];
  for (const day of days) {
    const theater = day.theaters[index - 1];
    for (const show of theater ? theater.shows : []) bars.push({ day: day.day, show });
    bars.push(null);
  }
  const top = Math.max(1, ...bars.filter(Boolean).map((bar) => bar.show.audience || 0));
  const svgNs = "http://www.w3.org/2000/svg";
  const svg = document.createElementNS(svgNs, "svg");
  svg.setAttribute("class", "chart");
  svg.setAttribute("width", String(Math.max(40, bars.length * 6)));
  svg.setAttribute("height", "30");
  bars.forEach((bar, i) => {
    if (!bar) return;
    const audience = bar.show.audience;
    const height = audience === null ? 28 : Math.max(1, Math.round((audience / top) * 28));
    const rect = document.createElementNS(svgNs, "rect");
    rect.setAttribute("x", String(i * 6));
    rect.setAttribute("y", String(30 - height));
    rect.setAttribute("width", "5");
    rect.setAttribute("height", String(height));
    if (audience === null) rect.setAttribute("class", "running");
    const title = document.createElementNS(svgNs, "title");
    title.textContent = `Day ${bar.day} ${bar.show.start}: ` + (audience === null ? "running" : `${audience} customers`);
    rect.appendChild(title);
    svg.appendChild(rect);
  });
  return svg;
}

function renderTheaters(state) {
  const body = $("#theaters tbody");
  body.replaceChildren();
  for (const theater of state.theaters) {
    const row = element("tr", { "data-theater": theater.index });
    row.appendChild(element("td", { class: "number" }, theater.index));
    const name = element("td");
    const open = element("button", { "data-open": theater.index, title: "Open the theater's info dialog" }, theater.name);
    open.addEventListener("click", () => command("/api/open", { theater: theater.index }));
    name.appendChild(open);
    row.appendChild(name);
    row.appendChild(element("td", { class: "status" }, theater.status_text));
    row.appendChild(element("td", { class: "film" }, theater.film ? theater.film.title : "no film"));
    const next = theater.next_show;
    row.appendChild(element("td", {}, next ? next.text + (next.tomorrow ? " tomorrow" : "") : "--"));
    row.appendChild(element("td", { class: "number" }, `${theater.customers} / ${theater.target ?? "--"}`));
    row.appendChild(element("td", { class: "number" }, `$${theater.takings}`));
    const chartCell = element("td");
    chartCell.appendChild(chart(state, theater.index));
    row.appendChild(chartCell);
    body.appendChild(row);
  }
}

function renderDays(state) {
  const list = $("#days");
  list.replaceChildren();
  for (const day of state.days.slice().reverse()) {
    const text = day.theaters
      .map((t) => `${t.name}: ${t.film || "no film"}, booked $${t.booked}, shows ` +
        (t.shows.length ? t.shows.map((s) => `${s.start} (${s.audience ?? "running"})`).join(" ") : "none"))
      .join("; ");
    list.appendChild(element("div", { class: "day" },
      `Day ${day.day}${day.whole ? "" : " (part)"}: funds ${day.funds_start} -> ${day.funds_end}. ${text}`));
  }
}

// A control laid over an item of the dialog picture, in the picture's own coordinates.
function place(control, dialog, rect) {
  control.classList.add("control");
  control.style.left = `${dialog.origin[0] + rect[0]}px`;
  control.style.top = `${dialog.origin[1] + rect[1]}px`;
  control.style.width = `${rect[2] - rect[0]}px`;
  control.style.height = `${rect[3] - rect[1]}px`;
  return control;
}

// The typed name reaches the module before any button of its dialog is pressed.
async function flushEdits(frame) {
  for (const input of frame.querySelectorAll("input[data-item]")) {
    if (input.dataset.sent !== input.value) {
      input.dataset.sent = input.value;
      await command("/api/type", { item: Number(input.dataset.item), text: input.value });
    }
  }
}

function renderDialog(dialog) {
  const frame = element("div", { class: "dialog", "data-template": dialog.template, role: "dialog",
    "aria-label": dialog.title });
  frame.innerHTML = dialog.svg.replace(/^<\?xml[^>]*>\s*/, "");
  const live = dialog.top && dialog.enabled;
  for (const item of dialog.items) {
    if (!item.visible || !item.enabled || !live) continue;
    if (["BUTTON", "OK", "CANCEL"].includes(item.kind)) {
      const button = place(element("button", { "data-item": item.id, "aria-label": item.text || item.kind }), dialog, item.rect);
      button.addEventListener("click", async () => {
        await flushEdits(frame);
        await command("/api/press", { item: item.id });
      });
      frame.appendChild(button);
    } else if (item.kind === "EDIT") {
      const input = place(element("input", { "data-item": item.id, maxlength: item.max_length, "aria-label": "Name" }),
        dialog, item.rect);
      input.value = item.text;
      input.dataset.sent = item.text;
      input.addEventListener("change", () => flushEdits(frame));
      frame.appendChild(input);
    } else if (item.kind === "MOVTBL") {
      for (const row of item.rows) {
        const top = item.rect[1] + 1 + (row.row - 1) * item.row_height;
        if (top + item.row_height > item.rect[3]) break;
        const button = place(element("button", { "data-film": row.film, "aria-label": row.title }), dialog,
          [item.rect[0] + 1, top, item.rect[2] - 1, top + item.row_height]);
        button.addEventListener("click", () => command("/api/select", { film: row.film }));
        frame.appendChild(button);
      }
    }
  }
  return frame;
}

function renderDialogs(state) {
  const key = JSON.stringify(state.dialogs);
  if (key === shownDialogs) return;
  const focused = document.activeElement;
  // A name being typed stays as it is while the dialog is redrawn around it.
  if (focused && focused.matches("#dialogs input[data-item]") && state.dialogs.some((d) => d.top)) {
    const sameEdit = state.dialogs.some((d) => d.top && d.items.some((i) => String(i.id) === focused.dataset.item));
    if (sameEdit && key.length && shownDialogs.length) return;
  }
  shownDialogs = key;
  const layer = $("#dialogs");
  layer.replaceChildren(...state.dialogs.map(renderDialog));
  layer.hidden = state.dialogs.length === 0;
}

function render(state) {
  if (state.version <= shownVersion) return;
  shownVersion = state.version;
  $("#clock").textContent = state.clock;
  $("#funds").textContent = `$ ${state.funds}`;
  for (const button of document.querySelectorAll("[data-speed]"))
    button.classList.toggle("active", button.dataset.speed === state.speed);
  $("#tower").src = `/api/tower.png?v=${state.version}`;
  if (state.message !== shownStateMessage) {
    shownStateMessage = state.message;
    if (state.message) showMessage(state.message);
  }
  renderTheaters(state);
  renderDays(state);
  renderDialogs(state);
}

for (const button of document.querySelectorAll("[data-speed]"))
  button.addEventListener("click", () => command("/api/speed", { speed: button.dataset.speed }));
$("#step-minute").addEventListener("click", () => command("/api/step", { until: "minute" }));
$("#step-status").addEventListener("click", () => command("/api/step", { until: "status" }));
$("#load").addEventListener("change", async (event) => {
  const file = event.target.files[0];
  if (!file) return;
  const response = await fetch(`/api/load?name=${encodeURIComponent(file.name)}`, {
    method: "POST",
    headers: { "Content-Type": "application/octet-stream" },
    body: file,
  });
  const answer = await response.json().catch(() => ({ error: "the host sent no answer" }));
  showMessage(response.ok ? `Loaded ${file.name}` : answer.error);
  event.target.value = "";
});

fetch("/api/state").then((response) => response.json()).then(render);
const events = new EventSource("/api/events");
events.addEventListener("state", (event) => render(JSON.parse(event.data)));
