// The camera's event stream: changes, communication log lines, progress of long operations, the
// online state and the messages the control's calls raise, delivered to the handlers given. The
// browser reconnects by itself; after a reconnection the page reads all values again, since
// changes may have been missed meanwhile.

import {controlUrl} from "./api.js";

const TYPES = ["change", "log", "progress", "online", "message"];

// How long the page waits for the stream before it reads the values anyway.
const OPEN_WAIT_MS = 3000;

export class LiveStream {
    constructor(id, handlers) {
        this.source = new EventSource(controlUrl(id, "events"));
        this.opened = false;
        // Settles once the stream is open (or has not opened in time): values read after this
        // miss no change, since every later change arrives on the stream.
        this.ready = new Promise((resolve) => {
            setTimeout(resolve, OPEN_WAIT_MS);
            this.source.addEventListener("open", resolve, {once: true});
        });
        this.source.addEventListener("open", () => {
            if (this.opened) handlers.resync?.();
            this.opened = true;
            handlers.connected?.(true);
        });
        this.source.addEventListener("error", () => handlers.connected?.(false));
        for (const type of TYPES) {
            this.source.addEventListener(type, (event) => {
                let data;
                try {
                    data = JSON.parse(event.data);
                } catch {
                    return;
                }
                handlers[type]?.(data);
            });
        }
    }

    close() {
        this.source.close();
    }
}
