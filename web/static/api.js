// The page's one way to the server: the JSON API under /api/v1/, with the session's CSRF token
// on every state-changing request.

const base = "/api/v1";

// An error answered by the server: HTTP status, the script error code where there is one, and
// its message.
export class ApiError extends Error {
    constructor(status, code, message) {
        super(message);
        this.status = status;
        this.code = code;
    }
}

let csrfToken = "";

export function setCsrf(token) {
    csrfToken = token || "";
}

async function answer(response) {
    const text = await response.text();
    let body = null;
    try {
        body = text ? JSON.parse(text) : null;
    } catch {
        body = null;
    }
    if (response.status === 401 && !response.url.endsWith("/login")) {
        // The session ended (logged out elsewhere, or the server restarted): log in again.
        location.replace("/login");
    }
    if (!response.ok) {
        const error = (body && body.error) || {};
        throw new ApiError(response.status, error.code || "",
                           error.message || `${response.status} ${response.statusText}`);
    }
    return body;
}

// A file the server makes (setup file, report): its bytes and the name the server gives it.
export async function download(path) {
    const response = await fetch(base + path, {credentials: "same-origin"});
    if (!response.ok) await answer(response);
    const disposition = response.headers.get("Content-Disposition") || "";
    const name = /filename="([^"]+)"/.exec(disposition)?.[1] || "download";
    return {name, blob: await response.blob()};
}

export async function get(path) {
    const response = await fetch(base + path, {
        credentials: "same-origin",
        headers: {"Accept": "application/json"},
    });
    return answer(response);
}

// A POST with a JSON body (or raw bytes for file uploads). The browser adds the Origin header;
// the token comes from the session.
export async function post(path, body, contentType = "application/json") {
    const raw = contentType === "application/json" ? JSON.stringify(body ?? {}) : body;
    const response = await fetch(base + path, {
        method: "POST",
        credentials: "same-origin",
        headers: {"Content-Type": contentType, "X-CSRF-Token": csrfToken,
                  "Accept": "application/json"},
        body: raw,
    });
    return answer(response);
}

// The session: whether a password is needed and, once logged in, the CSRF token.
export async function session() {
    const state = await get("/session");
    setCsrf(state.csrf);
    return state;
}

export async function login(password) {
    const state = await post("/login", {password});
    setCsrf(state && state.csrf);
    return state;
}

export function controlPath(id, what) {
    return `/controls/${encodeURIComponent(id)}/${what}`;
}

export function controlUrl(id, what) {
    return base + controlPath(id, what);
}
