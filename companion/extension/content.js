// Runs in the pages of the sites the extension is built for (its match patterns), in each frame.
// It marks the page's root element, so that the page library knows the companion is there, and
// relays the page's own window messages tagged "varnok-companion" to the extension's background,
// and the answers back. It passes on only the request's kind and calls: the background takes the
// page's origin from the browser, never from the page.
(function () {
    var CHANNEL = "varnok-companion", MARK = "data-varnok-companion";

    function mark() {
        if (document.documentElement) document.documentElement.setAttribute(MARK, "");
    }
    mark();
    // The page library's probe, heard at once: the root element may not have been there above.
    document.addEventListener(CHANNEL, mark, false);

    window.addEventListener("message", function (event) {
        var m = event.data;
        // Only this window's own messages to the companion (not another frame's or window's).
        if (event.source !== window || !m || typeof m !== "object") return;
        if (m.channel !== CHANNEL || m.to !== "companion") return;
        var id = m.id;
        if (typeof id !== "string" && typeof id !== "number") return;
        var request = { control: m.control, calls: m.calls };
        function answer(a) {
            window.postMessage({ channel: CHANNEL, to: "page", id: id, answer: a }, window.location.origin);
        }
        try {
            chrome.runtime.sendMessage(request, function (reply) {
                var failed = chrome.runtime.lastError;
                answer(failed ? { error: "extension", message: String(failed.message || failed) } : reply);
            });
        } catch (e) {
            // The extension was updated or removed under the page.
            answer({ error: "extension", message: String(e && e.message || e) });
        }
    }, false);
})();
