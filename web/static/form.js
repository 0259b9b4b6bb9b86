// The settings form, generated from the member table: one section per group, one row per
// member that the page shows, each control named after its member.

// The groups in the order the panels show them, with their headings.
export const GROUPS = [
    ["main", "Camera"],
    ["imager1", "Imager 1"],
    ["imager2", "Imager 2"],
    ["common", "Common"],
    ["communication", "Communication"],
    ["other", "Other"],
];

// Arguments that would open a message window on the machine: a browser never asks for one.
const QUIET_ARGUMENT = /^nShow/;

// Members a person has no use for on the page, should the member table offer them: queries that
// scripts call, the visibility of the desktop program's windows, and methods that take a path on
// the server (the page has its own upload and downloads instead).
const NOT_ON_PAGE = /^(Ask|Check|Is[A-Z]|ReadCurrent|AboutBox$|Show\w*Window$)|(From|To)File$/;

function onPage(member) {
    const shown = member.control in MAKERS || member.control === "button";
    return shown && !NOT_ON_PAGE.test(member.name);
}

// Splits a member name into words for its label: "IMG1ShutterSpeed" -> "Shutter speed",
// "DoIMG1OnePushAWB" -> "One push AWB" (the section says which imager).
export function labelFor(name) {
    const words = name.replace(/^Do(?=[A-Z])/, "")
                      .replace(/^IMG[12]/, "")
                      .replace(/([a-z0-9])([A-Z])/g, "$1 $2")
                      .replace(/([A-Z]+)([A-Z][a-z])/g, "$1 $2")
                      .trim();
    return words.charAt(0) + words.slice(1).replace(/ [A-Z][a-z]/g, (w) => w.toLowerCase());
}

function element(tag, attributes = {}, text = "") {
    const node = document.createElement(tag);
    for (const [key, value] of Object.entries(attributes)) {
        node.setAttribute(key, value);
    }
    if (text) {
        node.textContent = text;
    }
    return node;
}

function idFor(name) {
    return `m-${name}`;
}

function listControl(member) {
    const select = element("select");
    (member.values || []).forEach((text, index) => {
        if (text !== null && text !== "") {
            select.append(element("option", {value: String(index)}, text));
        }
    });
    return select;
}

function numberControl(member) {
    const input = element("input", {type: "number", step: "1", inputmode: "numeric",
                                    required: ""});
    if (member.min !== undefined) input.min = member.min;
    if (member.max !== undefined) input.max = member.max;
    return input;
}

function textControl(member) {
    return element("input", {type: "text", autocomplete: "off", spellcheck: "false"});
}

function checkControl() {
    return element("input", {type: "checkbox"});
}

const MAKERS = {list: listControl, number: numberControl, text: textControl, check: checkControl};

// The range shown beside a number field, for people and for screen readers.
function rangeHint(member) {
    if (member.control !== "number" || member.min === undefined) return null;
    return element("span", {class: "range", id: `${idFor(member.name)}-range`},
                   `${member.min} – ${member.max}`);
}

function settingRow(member) {
    const row = element("div", {class: `row kind-${member.control}`});
    const control = MAKERS[member.control](member);
    control.id = idFor(member.name);
    control.name = member.name;
    control.dataset.kind = member.control;
    control.dataset.type = member.type;
    if (member.readOnly) {
        // Read-only fields stay focusable, so keyboard and screen-reader users can read them.
        control.dataset.readOnly = "true";
        if (control.tagName === "INPUT" && control.type !== "checkbox") {
            control.readOnly = true;
        } else {
            control.disabled = true;
        }
    }
    const label = element("label", {for: control.id}, labelFor(member.name));
    label.title = member.name;
    row.append(label, control);
    const hint = rangeHint(member);
    if (hint) {
        control.setAttribute("aria-describedby", hint.id);
        row.append(hint);
    }
    return row;
}

function buttonRow(member) {
    const row = element("div", {class: "row kind-button"});
    const button = element("button", {type: "button", id: idFor(member.name), name: member.name},
                           labelFor(member.name));
    button.title = member.name;
    row.append(button);
    for (const argument of member.args || []) {
        if (argument.out || QUIET_ARGUMENT.test(argument.name)) continue;
        const input = element("input", {type: argument.type === "BSTR" ? "text" : "number",
                                        name: `${member.name}.${argument.name}`,
                                        id: `${idFor(member.name)}-${argument.name}`,
                                        value: argument.type === "BSTR" ? "" : "0"});
        row.append(element("label", {for: input.id, class: "argument"}, labelFor(argument.name)),
                   input);
    }
    return row;
}

// The values a method is called with: its inputs beside the button, 0 for the quiet ones.
export function argumentsFor(member, form) {
    const values = [];
    for (const argument of member.args || []) {
        if (argument.out) continue;
        if (QUIET_ARGUMENT.test(argument.name)) {
            values.push(0);
            continue;
        }
        const input = form.querySelector(`[name="${member.name}.${argument.name}"]`);
        values.push(argument.type === "BSTR" ? input.value : Number(input.value));
    }
    return values;
}

// Builds the sections into `container` and a link to each into `nav`; returns the members
// shown, by name.
export function buildForm(container, members, nav = null) {
    container.replaceChildren();
    nav?.replaceChildren();
    const shown = new Map();
    for (const [group, heading] of GROUPS) {
        const inGroup = members.filter((m) => m.group === group && onPage(m));
        if (inGroup.length === 0) continue;
        const section = element("fieldset", {class: `group ${group}`, "data-group": group,
                                             id: `g-${group}`});
        section.append(element("legend", {}, heading));
        const settings = element("div", {class: "settings"});
        const actions = element("div", {class: "actions"});
        for (const member of inGroup) {
            shown.set(member.name, member);
            (member.control === "button" ? actions : settings)
                .append(member.control === "button" ? buttonRow(member) : settingRow(member));
        }
        section.append(settings);
        if (actions.childElementCount) section.append(actions);
        container.append(section);
        nav?.append(element("a", {href: `#g-${group}`}, heading));
    }
    return shown;
}

// Shows a value in its control unless the user is editing that control right now.
export function showValue(control, value) {
    if (control.dataset.editing === "true") return;
    if (control.type === "checkbox") {
        control.checked = Boolean(value);
    } else if (control.tagName === "SELECT") {
        const text = String(value);
        if (![...control.options].some((o) => o.value === text)) {
            control.append(element("option", {value: text}, text));
        }
        control.value = text;
    } else {
        control.value = value ?? "";
    }
}

// The value a control holds, in the member's type.
export function valueOf(control) {
    if (control.type === "checkbox") return control.checked;
    if (control.dataset.kind === "text") return control.value;
    return Number(control.value);
}

// Enables a control as the parameter table's conditions say; read-only members stay disabled.
export function showEnabled(control, enabled) {
    control.disabled = !enabled || (control.dataset.readOnly === "true" && !control.readOnly);
    control.closest(".row")?.classList.toggle("off", !enabled);
}
