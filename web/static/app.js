// The camera page: chooses a camera, builds its form from the member table, shows its values
// live and sends what the user changes.

import * as api from "./api.js";
import {argumentsFor, buildForm, showEnabled, showValue, valueOf} from "./form.js";
import {LiveStream} from "./live.js";
import {LogView} from "./log.js";
import {Operation} from "./operation.js";

const $ = (id) => document.getElementById(id);

class CameraPage {
    constructor() {
        this.form = $("settings");
        this.members = new Map(); // name -> member shown on the page
        this.values = new Map();  // name -> last value the camera reported
        this.id = "";
        this.stream = null;
        this.log = new LogView($("log"));
        this.operation = new Operation($("operation"), () => this.stop());
    }

    async start() {
        // All three at once: without a session the last two are refused and the page goes to
        // the login page anyway.
        const [session, {controls}, {members}] = await Promise.all(
            [api.session(), api.get("/controls"), api.get("/members")]);
        if (session.passwordRequired && !session.authenticated) {
            location.replace("/login");
            return;
        }
        $("logout").hidden = !session.passwordRequired;
        this.allMembers = new Map(members.map((m) => [m.name, m]));
        this.members = buildForm(this.form, members, $("sections"));
        this.fillChooser(controls);
        this.wire();
        await this.open(this.chosen(controls));
    }

    fillChooser(controls) {
        const chooser = $("camera");
        chooser.replaceChildren(...controls.map((c) => {
            const option = document.createElement("option");
            option.value = c.id;
            const model = c.model ? ` · ${c.model}` : "";
            option.textContent = `${c.id}${model}${c.online ? "" : " (offline)"}`;
            return option;
        }));
        $("no-camera").hidden = controls.length > 0;
    }

    chosen(controls) {
        const wanted = decodeURIComponent(location.hash.slice(1));
        if (controls.some((c) => c.id === wanted)) return wanted;
        return (controls.find((c) => c.online) || controls[0])?.id || "";
    }

    async open(id) {
        this.stream?.close();
        this.id = id;
        $("camera").value = id;
        document.body.dataset.camera = id;
        if (!id) return;
        if (location.hash.slice(1) !== encodeURIComponent(id)) {
            history.replaceState(null, "", `#${encodeURIComponent(id)}`);
        }
        document.title = `${id} · ZR-47xCL`;
        $("download-setup").href = api.controlUrl(id, "setup");
        $("download-report").href = api.controlUrl(id, "report");
        this.log.clear();
        this.stream = new LiveStream(id, {
            change: (data) => this.changed(data),
            log: (data) => this.log.add(data),
            progress: (data) => this.operation.progress(data),
            online: ({online}) => this.showOnline(online),
            message: ({text, problem}) => this.say(text, problem),
            resync: () => this.readValues(),
            connected: (up) => document.body.classList.toggle("disconnected", !up),
        });
        await this.stream.ready;
        await this.readValues();
        document.body.dataset.ready = "true";
        performance.mark("camera-ready");
    }

    async readValues() {
        const state = await api.get(api.controlPath(this.id, "values"));
        for (const [name, value] of Object.entries(state.values || {})) {
            this.showMemberValue(name, value);
        }
        this.showEnablement(state.enabled || {});
        this.showOnline(state.online);
        if (state.busy) this.operation.running();
    }

    control(name) {
        return this.members.has(name) ? this.form.elements.namedItem(name) : null;
    }

    showMemberValue(name, value) {
        this.values.set(name, value);
        const control = this.control(name);
        if (control && control.tagName !== "BUTTON") showValue(control, value);
    }

    showEnablement(enabled) {
        for (const [name, on] of Object.entries(enabled)) {
            const control = this.control(name);
            if (control) showEnabled(control, on);
        }
    }

    // A change reported by the stream, shown, then announced on the document for scripts that
    // automate the page.
    changed({name, value, enabled}) {
        if (name !== undefined) this.showMemberValue(name, value);
        this.showEnablement(enabled || {});
        document.dispatchEvent(new CustomEvent("camera-change", {detail: {name, value}}));
    }

    showOnline(online) {
        const badge = $("online");
        badge.textContent = online ? "Online" : "Offline";
        badge.className = online ? "badge online" : "badge offline";
    }

    say(text, problem = false) {
        const status = $("status");
        status.textContent = text;
        status.classList.toggle("problem", problem);
    }

    async set(control) {
        const name = control.name;
        try {
            await api.post(api.controlPath(this.id, "set"), {name, value: valueOf(control)});
            this.say(`${name} set.`);
        } catch (error) {
            this.say(`${name}: ${error.message}`, true);
            showValue(control, this.values.get(name));
        }
    }

    async call(member) {
        const long = this.operation.begin(member.name);
        try {
            const args = argumentsFor(member, this.form);
            const answer = await api.post(api.controlPath(this.id, "call"),
                                          {name: member.name, args});
            const outs = Object.entries(answer.out || {}).map(([k, v]) => `${k}=${v}`);
            const result = answer.result === undefined ? "done" : `result ${answer.result}`;
            this.say(`${member.name}: ${[result, ...outs].join(", ")}.`);
        } catch (error) {
            this.say(`${member.name}: ${error.message}`, true);
        } finally {
            this.operation.end(long);
        }
    }

    async stop() {
        try {
            await api.post(api.controlPath(this.id, "stop"), {});
            this.say("Stopping…");
        } catch (error) {
            this.say(`Stop: ${error.message}`, true);
        }
    }

    async upload(file) {
        this.say(`Loading ${file.name}…`);
        const long = this.operation.begin("Setup file");
        try {
            await api.post(api.controlPath(this.id, "setup"), await file.arrayBuffer(),
                           "application/octet-stream");
            this.say(`${file.name} loaded.`);
            await this.readValues();
        } catch (error) {
            this.say(`${file.name}: ${error.message}`, true);
        } finally {
            this.operation.end(long);
        }
    }

    // The server writes the file through the control, which takes seconds on the serial line:
    // the download goes through the page so that it shows as an operation and a refusal (another
    // operation under way) is said rather than lost in the browser's download list.
    async download(link, title) {
        const long = this.operation.begin(title);
        try {
            const {name, blob} = await api.download(api.controlPath(this.id, link.dataset.what));
            const url = URL.createObjectURL(blob);
            const save = document.createElement("a");
            save.href = url;
            save.download = name;
            save.click();
            setTimeout(() => URL.revokeObjectURL(url), 1000);
            this.say(`${name} downloaded.`);
        } catch (error) {
            this.say(`${title}: ${error.message}`, true);
        } finally {
            this.operation.end(long);
        }
    }

    wire() {
        this.form.addEventListener("submit", (event) => event.preventDefault());
        this.form.addEventListener("input", (event) => {
            if (event.target.name) event.target.dataset.editing = "true";
        });
        this.form.addEventListener("change", (event) => {
            const control = event.target;
            if (!this.members.has(control.name)) return;
            delete control.dataset.editing;
            if (control.type === "number" && !control.checkValidity()) {
                this.say(`${control.name}: ${control.validationMessage}`, true);
                showValue(control, this.values.get(control.name));
                return;
            }
            this.set(control);
        });
        this.form.addEventListener("focusout", (event) => delete event.target.dataset.editing);
        this.form.addEventListener("click", (event) => {
            const button = event.target.closest("button[name]");
            if (button && this.members.has(button.name)) this.call(this.members.get(button.name));
        });
        // The stream ends with the page, so that its connection is not held by a page the browser
        // keeps for going back (browsers allow only a few connections per server).
        window.addEventListener("pagehide", () => this.stream?.close());
        window.addEventListener("pageshow", (event) => {
            if (event.persisted) this.open(this.id);
        });
        $("camera").addEventListener("change", (event) => this.open(event.target.value));
        window.addEventListener("hashchange", () => {
            const id = decodeURIComponent(location.hash.slice(1));
            if (id && id !== this.id) this.open(id);
        });
        $("upload").addEventListener("change", (event) => {
            const [file] = event.target.files;
            if (file) this.upload(file);
            event.target.value = "";
        });
        for (const [id, title] of [["download-setup", "Setup file"],
                                   ["download-report", "Camera data report"]]) {
            $(id).addEventListener("click", (event) => {
                event.preventDefault();
                this.download(event.currentTarget, title);
            });
        }
        $("clear-log").addEventListener("click", () => this.log.clear());
        $("logout").addEventListener("click", async () => {
            await api.post("/logout", {}).catch(() => {});
            location.replace("/login");
        });
    }
}

const page = new CameraPage();
page.start().catch((error) => {
    $("status").textContent = `The page could not start: ${error.message}`;
    $("status").classList.add("problem");
});
