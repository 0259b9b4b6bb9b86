// The communication log: lines sent and received, newest at the bottom, kept to a bounded length.

const MAX_LINES = 2000;

export class LogView {
    constructor(list) {
        this.list = list;
    }

    add({line, sent}) {
        const follow = this.list.scrollTop + this.list.clientHeight >= this.list.scrollHeight - 4;
        const item = document.createElement("li");
        item.className = sent ? "sent" : "received";
        item.textContent = `${sent ? ">" : "<"} ${line}`;
        this.list.append(item);
        while (this.list.childElementCount > MAX_LINES) this.list.firstElementChild.remove();
        if (follow) this.list.scrollTop = this.list.scrollHeight;
    }

    clear() {
        this.list.replaceChildren();
    }
}
