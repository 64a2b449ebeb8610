
    // ---- The companion: the browser extension and its native host ----
    //
    // Where the Varnok companion extension runs on the page (a listed site), its content script
    // marks the page's root element and relays window messages tagged COMPANION_CHANNEL to the
    // extension, which asks the host program with the page's origin as the browser tells it.
    //   page -> extension: { channel, to: "companion", id, control: "hello" | "spec" | "launcher",
    //                        calls: [[method, argument...], ...] }
    //   extension -> page: { channel, to: "page", id, answer: the host's answer, or
    //                        { error, message } where the extension or the host failed }

    var COMPANION_CHANNEL = "varnok-companion";
    var COMPANION_MARK = "data-varnok-companion";
    // How long a request waits for the host: its version, a full read (the display methods and the
    // diagnostic provider take seconds), a launch (the system may ask the visitor first).
    var HELLO_WAIT = 5000, READ_WAIT = 120000, LAUNCH_WAIT = 600000;

    var companionWaiting = {}, companionNext = 0, companionListening = false;

    // Whether the companion's content script is on this page. Its mark is set when it starts; a
    // probe event, which its listener hears at once, sets it again where the root element was
    // not there yet.
    function companionPresent() {
        var doc = pageDocument();
        if (!doc || !timers() || typeof global.postMessage == "undefined") return false;
        try {
            var root = doc.documentElement;
            if (!root || !root.getAttribute) return false;
            if (root.getAttribute(COMPANION_MARK) == null && doc.createEvent && doc.dispatchEvent) {
                var probe = doc.createEvent("Event");
                probe.initEvent(COMPANION_CHANNEL, false, false);
                doc.dispatchEvent(probe);
            }
            return root.getAttribute(COMPANION_MARK) != null;
        } catch (e) {
            return false;
        }
    }

    function companionHeard(event) {
        try {
            var m = event.data;
            if (event.source !== global || !m || m.channel !== COMPANION_CHANNEL || m.to !== "page") return;
            var done = companionWaiting.hasOwnProperty(m.id) ? companionWaiting[m.id] : null;
            if (done) done(m.answer && typeof m.answer == "object" ? m.answer : null);
        } catch (e) {}
    }

    // Asks the companion; done(answer) runs exactly once: the host's answer object (which may be a
    // refusal, { error, message }), or null when the companion is not on the page or nothing
    // came within `wait` milliseconds.
    function companionAsk(control, calls, wait, done) {
        if (!companionPresent()) {
            done(null);
            return;
        }
        var id = "r" + (++companionNext), timer = null;
        function finish(answer) {
            if (!companionWaiting.hasOwnProperty(id)) return;
            delete companionWaiting[id];
            if (timer !== null) global.clearTimeout(timer);
            done(answer);
        }
        companionWaiting[id] = finish;
        try {
            if (!companionListening) {
                global.addEventListener("message", companionHeard, false);
                companionListening = true;
            }
            timer = global.setTimeout(function () { finish(null); }, wait);
            var message = { channel: COMPANION_CHANNEL, to: "companion", id: id, control: control };
            if (calls) message.calls = calls;
            global.postMessage(message, global.location.origin || "*");
        } catch (e) {
            finish(null);
        }
    }

    // Calls back with the companion host's version ("a.b.c.d"): null at once where the extension is
    // not on the page, and after HELLO_WAIT where its host does not answer.
    function companion(callback) {
        companionAsk("hello", null, HELLO_WAIT, function (answer) {
            callPage(callback, [answer && typeof answer.version == "string" ? answer.version : null]);
        });
    }

    // The companion's texts of spec-check methods: done({ method: text }) once, empty where the
    // companion is not there, refused or failed. Only texts the host gave are kept.
    function companionTexts(methods, done) {
        if (!methods.length) {
            done({});
            return;
        }
        var calls = [];
        for (var i = 0; i < methods.length; i++) calls.push([methods[i]]);
        companionAsk("spec", calls, READ_WAIT, function (answer) {
            var texts = {}, results = answer && answer.results;
            if (results && results.length === methods.length) {
                for (var j = 0; j < methods.length; j++) {
                    if (typeof results[j] == "string") texts[methods[j]] = results[j];
                }
            }
            done(texts);
        });
    }

    // The launch through the companion: done(answer) once, answer { available: "companion", code,
    // message }, or null where the companion is not there or did not launch.
    function companionLaunch(s, done) {
        function text(v) { return v == null ? "" : String(v); }
        var keyType = typeof s.keyType == "number" ? s.keyType : 2;
        var calls = [["SetRegInfo", keyType, text(s.regKey), text(s.valueName)],
                     ["SetRegParam", text(s.reg1), text(s.reg2)],
                     ["AddPathName", text(s.pathName)],
                     ["AddParmeter", text(s.param)],
                     [s.boardGame ? "ExecuteBoardGame" : "Execute"]];
        companionAsk("launcher", calls, LAUNCH_WAIT, function (answer) {
            var results = answer && answer.results;
            var code = results && results.length === calls.length ? results[calls.length - 1] : null;
            if (typeof code != "number") {
                done(null);
                return;
            }
            done({ available: "companion", code: code, message: resultMessage(code) });
        });
    }
