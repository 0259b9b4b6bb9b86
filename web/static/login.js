// The login page: sends the password, then goes to the camera page.

import * as api from "./api.js";

const form = document.getElementById("login");
const status = document.getElementById("status");

const REFUSALS = {
    401: "Wrong password.",
    429: "Too many attempts: wait a moment and try again.",
};

form.addEventListener("submit", async (event) => {
    event.preventDefault();
    const button = document.getElementById("submit");
    button.disabled = true;
    status.textContent = "";
    try {
        await api.login(document.getElementById("password").value);
        location.replace("/");
    } catch (error) {
        status.textContent = REFUSALS[error.status] || error.message;
        document.getElementById("password").select();
    } finally {
        button.disabled = false;
    }
});

// Already logged in (or no password needed): straight to the cameras.
api.session().then((state) => {
    if (state.authenticated) location.replace("/");
}).catch(() => {});
