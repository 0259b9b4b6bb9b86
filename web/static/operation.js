// The long operation under way: its name, its progress and the Stop button that ends it.

import {labelFor} from "./form.js";

export class Operation {
    constructor(box, stop) {
        this.box = box;
        this.name = box.querySelector(".name");
        this.bar = box.querySelector("progress");
        this.text = box.querySelector(".steps");
        this.stopButton = box.querySelector("button");
        this.stopButton.addEventListener("click", stop);
        this.calls = 0;
        this.timer = 0;
    }

    // A call is under way: the box shows once the call lasts or progress arrives, so short calls
    // do not flash it. Returns a token for end().
    begin(name) {
        this.calls += 1;
        if (name) this.name.textContent = labelFor(name);
        clearTimeout(this.timer);
        this.timer = setTimeout(() => this.show(), 250);
        return this.calls;
    }

    end() {
        this.calls = Math.max(0, this.calls - 1);
        if (this.calls === 0) this.hide();
    }

    progress({operation, step, steps, done}) {
        if (done) {
            clearTimeout(this.timer);
            this.hide();
            return;
        }
        if (operation) this.name.textContent = labelFor(operation);
        if (steps) {
            this.bar.max = steps;
            this.bar.value = step ?? 0;
            this.text.textContent = `${step ?? 0} / ${steps}`;
        }
        this.show();
    }

    // An operation that another client started, found under way.
    running() {
        if (this.calls === 0) this.show();
    }

    show() {
        this.box.hidden = false;
        document.body.dataset.busy = "true";
    }

    hide() {
        clearTimeout(this.timer);
        this.box.hidden = true;
        this.bar.removeAttribute("value");
        this.text.textContent = "";
        delete document.body.dataset.busy;
    }
}
