// The extension's background: checks a request relayed from a page of a listed site, adds the
// page's origin as the browser reports the sender, and asks the native host "varnok.companion".
// The host decides on the origin (its own site list) and answers; its answer goes back unchanged.
var HOST = "varnok.companion";
var MAX_CALLS = 32;

// The sender's origin, from the browser's sender information only: its origin, else that of its
// address (the frame's, else the tab's). Null unless it is an http or https origin.
function senderOrigin(sender) {
    var origin = sender.origin;
    if (typeof origin !== "string" || origin === "null") {
        var url = sender.url || (sender.tab && sender.tab.url);
        try {
            origin = new URL(url).origin;
        } catch (e) {
            origin = null;
        }
    }
    return typeof origin === "string" && /^https?:\/\/[^/]+$/.test(origin) ? origin : null;
}

// The request's shape: a known kind; for "spec" and "launcher", 1 to 32 calls, each an array of a
// method name and texts or numbers. The host checks the methods and their arguments itself.
function wellFormed(request) {
    if (!request || typeof request !== "object") return false;
    if (request.control === "hello") return true;
    if (request.control !== "spec" && request.control !== "launcher") return false;
    var calls = request.calls;
    if (!Array.isArray(calls) || calls.length < 1 || calls.length > MAX_CALLS) return false;
    return calls.every(function (call) {
        return Array.isArray(call) && call.length >= 1 && typeof call[0] === "string" &&
               call.slice(1).every(function (a) {
                   return typeof a === "string" || (typeof a === "number" && isFinite(a));
               });
    });
}

chrome.runtime.onMessage.addListener(function (request, sender, sendResponse) {
    // Only this extension's own content scripts, in a tab.
    if (sender.id !== chrome.runtime.id || !sender.tab) return false;
    var origin = senderOrigin(sender);
    if (!origin) {
        sendResponse({ error: "origin", message: "The page's origin is not an http or https origin." });
        return false;
    }
    if (!wellFormed(request)) {
        sendResponse({ error: "malformed", message: "The page's request is not a companion request." });
        return false;
    }
    var message = request.control === "hello" ? { control: "hello" }
                : { control: request.control, origin: origin, calls: request.calls };
    chrome.runtime.sendNativeMessage(HOST, message, function (reply) {
        var failed = chrome.runtime.lastError;
        if (failed || !reply || typeof reply !== "object") {
            sendResponse({ error: "host",
                           message: failed ? String(failed.message || failed) : "The companion host gave no answer." });
        } else {
            sendResponse(reply);
        }
    });
    return true;  // the answer comes later
});
