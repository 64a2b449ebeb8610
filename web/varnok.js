// Varnok page library: what a page can learn about the visitor's PC, whether that meets a game's
// requirements, and the game launch, in every browser.
//
// Varnok.readSpec([options,] [callback]) reads the facts, one entry per fact:
//   { value: text or null, source: "control" | "browser" | "unknown", from: what gave it }
// The spec-check control gives its fifteen facts where it can be created (Internet Explorer, and
// its mode inside newer browsers); elsewhere the browser gives what it knows (processor count,
// coarse memory, graphics adapter, platform and bitness) and the rest is "unknown". Facts are read
// one at a time, cheapest first; where the page has timers the page's thread is given back between
// facts, options.onFact(name, fact, answer) hears each as it arrives, and the callback gets the
// whole answer at the end. Without timers (script hosts) the read is done when readSpec returns.
// Varnok.check(requirements[, options][, callback]) reads the facts a game's requirements need and
// answers verdicts: see verdicts() below.
// Varnok.launch(settings[, options]) starts the game through the launcher control and answers
//   { available: true, code: result code, message } or { available: false, code: null, message };
// where there is no launcher control and the settings name a registered game, it opens the game's
// `varnok:` link (Varnok.link(settings)) for the link handler instead and answers
//   { available: "link", code: null, message }: the browser asks the visitor, and nothing comes back.
//
// In a page the controls are used through object tags only, since a control that script creates
// by its ProgID has no page and a control built for certain sites answers nothing without one: the
// page's own spec-check tag or a hidden one inserted for the read, and a fresh hidden launcher tag
// for each launch. Script hosts without a document create them by ProgID.
//
// Written for every script engine a visitor may bring, Internet Explorer's old JScript included
// (no newer syntax, no ES5 library calls), and for script hosts without a page at all (cscript):
// the global object is taken from `this`, and a missing window, navigator or document is simply
// a source that knows nothing. Nothing here throws at the page: a control that is missing,
// blocked or failing gives "unknown".
var Varnok = (function (global) {
    var SPEC_PROGID = "QUELLISSPECCHECK.QuellisSpecCheckCtrl.1";
    var LAUNCHER_PROGID = "QuellisLauncher.QuellisLauncherVistaPlay.1";
    // The controls' class ids (their coclasses' uuids), for object tags.
    var SPEC_CLSID = "DB57CD35-85CB-40C4-B8E0-6888F8E040DD";
    var LAUNCHER_CLSID = "C6CF25F3-3B01-4C78-91E0-B8CAB886A687";
    // The id of the object tag a page embeds the spec-check control with, unless options name another.
    var SPEC_ELEMENT = "varnokSpecCheck";

    // Every fact, in the order a page shows them: name, label, and the spec-check method that
    // gives it (none for facts only a browser knows).
    var FACTS = [
        ["cpu", "Processor", "GetStringCPU"],
        ["processors", "Logical processors", null],
        ["os", "Operating system", "GetStringOS"],
        ["cpuBit", "Operating system bitness", "GetStringCPUBit"],
        ["memory", "Memory", "GetStringMEMORY"],
        ["directx", "DirectX", "GetStringDirectX"],
        ["vga", "Graphics adapter", "GetStringVGA"],
        ["graphicsVendor", "Graphics vendor", null],
        ["vgaMemory", "Video memory", "GetStringVGAMemory"],
        ["vgaVersion", "Display driver version", "GetStringVGAVer"],
        ["vgaDriver", "Display driver", "GetStringVGADriver"],
        ["vgaId", "Display device id", "GetStringVGAID"],
        ["sound", "Sound device", "GetStringSOUND"],
        ["macAddress", "Network adapter addresses", "GetStringMacAddress"],
        ["cpuId", "Machine key (processor)", "GetStringCPUID"],
        ["hddId", "Machine key (disk)", "GetStringHDDID"],
        ["specVersion", "Spec-check version", "GetStringSpecVer"]
    ];
    // The order the facts are read in, cheapest first: the control's constants and counters take
    // microseconds, the sound and network enumerations milliseconds, each display method a Direct3D
    // or DirectDraw object (a couple of hundred milliseconds), DirectX the diagnostic provider (the
    // slowest), and the machine keys start the gate program and wait for it.
    var READ_ORDER = ["specVersion", "memory", "cpuBit", "os", "processors", "cpu", "sound", "macAddress",
                      "vga", "graphicsVendor", "vgaVersion", "vgaDriver", "vgaId", "vgaMemory", "directx",
                      "cpuId", "hddId"];

    // What the launcher's result codes mean.
    var RESULT_TEXT = {
        0: "no failure reported",
        1: "the game's registry key could not be opened",
        2: "the game's installation directory could not be read",
        3: "C_Param could not be written",
        4: "R_Param could not be written",
        5: "A_Param could not be written",
        9: "the game program could not be started"
    };
    var NOT_AVAILABLE = "Starting the game is not available in this browser: it needs Internet " +
                        "Explorer (or a browser's Internet Explorer mode) with the VarnokLauncher control, " +
                        "or a page that names a registered game.";
    var NO_LINK = "Starting the game is not available: the page's game id or one of its texts cannot be " +
                  "put in a varnok: link.";
    var LINK_OPENED = "Asked the browser to open the game's varnok: link: it asks you whether to open it with " +
                      "the Varnok link handler. If it does not ask, the handler is not installed on this PC " +
                      "(this page cannot tell).";

    function contains(list, item) {
        for (var i = 0; i < list.length; i++) if (list[i] === item) return true;
        return false;
    }
    function errorText(e) {
        if (e && e.message) return e.message;
        if (e && typeof e.number == "number") return "error 0x" + (e.number >>> 0).toString(16);
        return String(e);
    }
    function fact(value, source, from) {
        return { value: value, source: source, from: from };
    }
    function methodOf(name) {
        for (var i = 0; i < FACTS.length; i++) if (FACTS[i][0] == name) return FACTS[i][2];
        return null;
    }
    function timers() {
        try { return global.setTimeout ? global : null; } catch (e) { return null; }
    }
    function pageDocument() {
        try { return global.document || null; } catch (e) { return null; }
    }
    // Whether this engine can host controls at all. Internet Explorer 11 hides ActiveXObject from
    // detection yet still creates objects.
    function activeX() {
        try { return typeof ActiveXObject != "undefined" || "ActiveXObject" in global; } catch (e) { return false; }
    }

    // An object tag's control: the element (or any object) when it carries the control's methods
    // (Internet Explorer with the control loaded); null for a missing tag, and for a tag that
    // another browser shows as an empty element or whose control did not load.
    function elementControl(which, method) {
        try {
            var el = which;
            if (typeof which == "string") {
                var doc = pageDocument();
                if (!doc || !doc.getElementById) return null;
                el = doc.getElementById(which);
            }
            if (!el || typeof el[method] == "undefined") return null;
            return el;
        } catch (e) {
            return null;
        }
    }

    // A hidden object tag of a control, inserted into the page for one use: { control, remove }, or
    // null where the page cannot host controls or the control did not load.
    function hiddenControl(clsid, method) {
        var doc = pageDocument();
        if (!doc || !activeX()) return null;
        var holder = null;
        function remove() {
            try { if (holder && holder.parentNode) holder.parentNode.removeChild(holder); } catch (e) {}
            holder = null;
        }
        try {
            holder = doc.createElement("div");
            (doc.body || doc.documentElement).appendChild(holder);
            // Written in once the holder is in the page, so that the control is created with it.
            holder.innerHTML = "<object classid=\"clsid:" + clsid + "\" width=\"0\" height=\"0\" " +
                               "style=\"position: absolute\"></object>";
            var el = holder.getElementsByTagName("object")[0];
            if (el && typeof el[method] != "undefined") return { control: el, remove: remove };
        } catch (e) {}
        remove();
        return null;
    }

    // A new instance by ProgID, where the engine has ActiveXObject and may create it.
    function progIdControl(progId) {
        try {
            if (!activeX()) return null;
            return new ActiveXObject(progId);
        } catch (e) {
            return null;
        }
    }

    // The spec-check control for one read: the page's tag (options.specCheck: the tag, its id or
    // any object with the control's methods; default "varnokSpecCheck"), else a hidden tag in a
    // page, else an instance by ProgID where there is no page. { control, remove } or null.
    function specCheckControl(options) {
        var el = elementControl(options.specCheck || SPEC_ELEMENT, "GetStringSpecVer");
        if (el) return { control: el, remove: function () {} };
        if (pageDocument()) return hiddenControl(SPEC_CLSID, "GetStringSpecVer");
        var ctl = progIdControl(SPEC_PROGID);
        return ctl ? { control: ctl, remove: function () {} } : null;
    }

    // One method of a control: its text, or undefined when the call fails. A method that answers
    // no string at all is given as an empty text.
    function callText(ctl, method) {
        try {
            var v = ctl[method]();
            return v == null ? "" : String(v);
        } catch (e) {
            return undefined;
        }
    }

    function nav() {
        try { return global.navigator || null; } catch (e) { return null; }
    }

    // The graphics adapter as the browser's WebGL names it, where it names it unmasked.
    function webglAdapter() {
        try {
            var doc = pageDocument();
            if (!doc || !doc.createElement) return null;
            var canvas = doc.createElement("canvas");
            if (!canvas || !canvas.getContext) return null;
            var gl = canvas.getContext("webgl") || canvas.getContext("experimental-webgl");
            if (!gl) return null;
            var info = gl.getExtension("WEBGL_debug_renderer_info");
            var adapter = null;
            if (info) {
                adapter = { renderer: gl.getParameter(info.UNMASKED_RENDERER_WEBGL),
                            vendor: gl.getParameter(info.UNMASKED_VENDOR_WEBGL) };
            }
            var lose = gl.getExtension("WEBGL_lose_context");
            if (lose) lose.loseContext();
            return adapter;
        } catch (e) {
            return null;
        }
    }

    // One fact as the browser knows it at once, or null. `read` keeps what one read has asked the
    // browser already (WebGL gives the adapter and its vendor together).
    function browserFact(name, read) {
        var n = nav();
        if (!n) return null;
        try {
            if (name == "processors") {
                var count = n.hardwareConcurrency;
                if (typeof count == "number" && count > 0) {
                    return fact(String(count), "browser", "navigator.hardwareConcurrency");
                }
            } else if (name == "memory") {
                var gb = n.deviceMemory;
                if (typeof gb == "number" && gb > 0) {
                    return fact(gb + "GB", "browser", "navigator.deviceMemory, rounded by the browser");
                }
            } else if (name == "os") {
                var hints = n.userAgentData;
                if (hints && hints.platform) return fact(String(hints.platform), "browser", "user-agent client hints");
            } else if (name == "vga" || name == "graphicsVendor") {
                if (read.adapter === undefined) read.adapter = webglAdapter();
                var a = read.adapter;
                if (a && name == "vga" && a.renderer) return fact(String(a.renderer), "browser", "WebGL unmasked renderer");
                if (a && name == "graphicsVendor" && a.vendor) return fact(String(a.vendor), "browser", "WebGL unmasked vendor");
            }
        } catch (e) {}
        return null;
    }

    // Facts the browser gives late: the platform's version and bitness, asked for at the start of a
    // read that wants them. whenIn(fn) runs fn(values or null) once, when they are in or when the
    // browser has not answered within a second.
    function lateBrowserFacts(wanted) {
        var values = null, finished = false, waiting = null;
        function finish() {
            if (finished) return;
            finished = true;
            if (waiting) waiting(values);
        }
        var n = nav(), hints = null;
        try { hints = n && n.userAgentData; } catch (e) {}
        if (!wanted || !hints || typeof hints.getHighEntropyValues != "function" || !timers()) {
            finish();
        } else {
            try {
                hints.getHighEntropyValues(["platformVersion", "bitness"]).then(function (v) {
                    values = v;
                    finish();
                }, finish);
                global.setTimeout(finish, 1000);
            } catch (e) {
                finish();
            }
        }
        return {
            whenIn: function (fn) {
                if (finished) fn(values);
                else waiting = fn;
            }
        };
    }

    // Calls the page's own function. What it throws is the page's own error: where there are
    // timers it is thrown again from a timer of its own, so that the read goes on.
    function callPage(fn, args) {
        if (typeof fn != "function") return;
        try {
            fn.apply(null, args);
        } catch (e) {
            var t = timers();
            if (!t) throw e;
            t.setTimeout(function () { throw e; }, 0);
        }
    }

    // options: specCheck: the spec-check object tag (the element, its id, default
    // "varnokSpecCheck", or any object with the control's methods); facts: the names of the facts
    // wanted (default all; the machine keys start a program and wait for it, so a page that does
    // not need them may leave them out); onFact(name, fact, answer): each fact as it arrives (a late
    // browser fact may come a second time, completed).
    // Returns the answer, which the read fills in; the callback gets it once complete.
    function readSpec(options, callback) {
        if (typeof options == "function") {
            callback = options;
            options = null;
        }
        options = options || {};
        var wanted = options.facts || null, answer = {}, order = [], i;
        for (i = 0; i < READ_ORDER.length; i++) {
            if (!wanted || contains(wanted, READ_ORDER[i])) order.push(READ_ORDER[i]);
        }
        for (i = 0; i < FACTS.length; i++) {
            if (contains(order, FACTS[i][0])) answer[FACTS[i][0]] = fact(null, "unknown", null);
        }
        var late = lateBrowserFacts(answer.os || answer.cpuBit);
        var spec = specCheckControl(options), read = {}, fromControl = {}, next = 0, t = timers();

        function arrived(name) {
            callPage(options.onFact, [name, answer[name], answer]);
        }
        // One fact: the control's answer where it gives one, else the browser's.
        function readOne(name) {
            var method = methodOf(name), f = null;
            if (spec && method) {
                var text = callText(spec.control, method);
                if (text !== undefined) {
                    f = fact(text, "control", method);
                    fromControl[name] = true;
                }
            }
            answer[name] = f || browserFact(name, read) || answer[name];
            arrived(name);
        }
        function finishLate(v) {
            try {
                if (v && answer.os && !fromControl.os && v.platform) {
                    var os = String(v.platform);
                    if (v.platformVersion) os += " (platform version " + v.platformVersion + ")";
                    answer.os = fact(os, "browser", "user-agent client hints");
                    arrived("os");
                }
                if (v && answer.cpuBit && !fromControl.cpuBit && (v.bitness == "64" || v.bitness == "32")) {
                    answer.cpuBit = fact(v.bitness + "Bit", "browser", "user-agent client hints");
                    arrived("cpuBit");
                }
            } finally {
                callPage(callback, [answer]);
            }
        }
        function finish() {
            if (spec) spec.remove();
            spec = null;
            late.whenIn(finishLate);
        }
        // With timers, one fact per turn, so the page paints and answers between the slow ones.
        function step() {
            if (next < order.length) {
                readOne(order[next++]);
                t.setTimeout(step, 0);
            } else {
                finish();
            }
        }
        if (t) {
            step();
        } else {
            while (next < order.length) readOne(order[next++]);
            finish();
        }
        return answer;
    }

    // ---- Verdicts against a game's requirements ----

    var MEETS = "meets", BELOW = "below", UNKNOWN = "unknown";
    // Windows releases a requirement may name, oldest first.
    var RELEASES = ["Windows XP", "Windows Vista", "Windows 7", "Windows 8", "Windows 8.1", "Windows 10"];
    // The control's operating-system names, by their beginning (the first that matches): the
    // release (an index into RELEASES; -1 older than all) a name and its server twin count as, and
    // whether the release may be a newer one. A host that Windows tells 6.2 (or, with a newer
    // manifest, 6.3) hears it on every later Windows, so "Windows 8" and "Windows 8.1" say only
    // "this or newer".
    var OS_NAMES = [
        [/^Windows (95|98|Me|2000)\b/, -1, false],
        [/^Windows (XP|Server 2003|Storage Server 2003|Home Server)\b/, 0, false],
        [/^Windows (7|Server 2008 R2)\b/, 2, false],
        [/^Windows (Vista|Server 2008)\b/, 1, false],
        [/^Windows (8\.1|Server 2012 R2)\b/, 4, true],
        [/^Windows (8|Server 2012)\b/, 3, true],
        [/^Windows (10|Server 2016)\b/, 5, true]
    ];
    // User-agent client hints' platform names of systems other than Windows.
    var OTHER_PLATFORMS = ["Android", "Chrome OS", "Chromium OS", "Fuchsia", "iOS", "Linux", "macOS"];

    function amount(need) {
        if (typeof need == "string" && /^\d+(\.\d+)?$/.test(need)) need = Number(need);
        return typeof need == "number" && need >= 0 && need < Infinity ? need : null;
    }
    // A measured amount known to lie between low and high against a need. Windows counts the
    // memory it can use, which falls short of what is installed by what firmware and devices keep,
    // so only a shortfall of more than an eighth of the need is "below".
    function compareAmount(low, high, need) {
        if (low >= need) return MEETS;
        return high < need - need / 8 ? BELOW : UNKNOWN;
    }

    function judgeOs(need, f) {
        var wants = -1;
        for (var r = 0; r < RELEASES.length; r++) if (RELEASES[r] === need) wants = r;
        if (wants < 0 || f.value == null) return UNKNOWN;
        var text = f.value, i;
        if (f.source == "browser") {
            var m = /^(.*?)(?: \(platform version (\d+)\.(\d+)[^)]*\))?$/.exec(text);
            if (contains(OTHER_PLATFORMS, m[1])) return BELOW;
            if (m[1] != "Windows" || !m[2]) return UNKNOWN;
            // The platform version's major number: 0 for Windows 7 to 8.1 (the minor 1 to 3 tells
            // which), 1 and up for Windows 10 and later.
            var major = Number(m[2]), minor = Number(m[3]);
            var have = major >= 1 ? 5 : minor >= 1 && minor <= 3 ? minor + 1 : null;
            if (have == null) return UNKNOWN;
            return have >= wants ? MEETS : BELOW;
        }
        for (i = 0; i < OS_NAMES.length; i++) {
            if (OS_NAMES[i][0].test(text)) {
                if (OS_NAMES[i][1] >= wants) return MEETS;
                return OS_NAMES[i][2] ? UNKNOWN : BELOW;
            }
        }
        return UNKNOWN;
    }

    function judgeBits(need, f) {
        var wants = amount(need), m = f.value == null ? null : /^(32|64)Bit$/.exec(f.value);
        if ((wants != 32 && wants != 64) || !m) return UNKNOWN;
        return Number(m[1]) >= wants ? MEETS : BELOW;
    }

    function judgeMemory(need, f) {
        var wants = amount(need), m;
        if (wants == null || f.value == null) return UNKNOWN;
        if (f.source == "control") {
            // Megabytes; "0MB" is the control's answer when it could not tell.
            m = /^(\d+)MB$/.exec(f.value);
            if (!m || Number(m[1]) == 0) return UNKNOWN;
            return compareAmount(Number(m[1]), Number(m[1]), wants);
        }
        // The browser's gigabytes are the memory rounded to the nearest power of two (so between
        // three quarters and one and a half of the figure), then held between bounds of the
        // browser's choosing that it does not tell: 2 or less may stand for less, 8 or more for more.
        m = /^(\d+(\.\d+)?)GB$/.exec(f.value);
        if (!m) return UNKNOWN;
        var mb = Number(m[1]) * 1024;
        return compareAmount(mb <= 2048 ? 0 : mb * 0.75, mb >= 8192 ? Infinity : mb * 1.5, wants);
    }

    function judgeVgaMemory(need, f) {
        var wants = amount(need), m = f.value == null ? null : /^(\d+)MB$/.exec(f.value);
        if (wants == null || !m) return UNKNOWN;
        // The control rounds the megabytes m it measures to the power of two n with
        // 0.75n <= m < 1.5n, and the platform's count ends at 4096MB.
        var n = Number(m[1]);
        if (n < 1 || (n & (n - 1)) != 0) return UNKNOWN;
        if (n == 1) return compareAmount(0, 1, wants);
        return compareAmount(Math.ceil(n * 0.75), n >= 4096 ? Infinity : n * 1.5 - 1, wants);
    }

    function judgeProcessors(need, f) {
        var wants = amount(need), m = f.value == null ? null : /^(\d+)$/.exec(f.value);
        if (wants == null || !m) return UNKNOWN;
        // Browsers that guard against fingerprinting report fewer processors than there are.
        return Number(m[1]) >= wants ? MEETS : UNKNOWN;
    }

    // "9.0c", "11.0": [major, minor, letter] ("" for none), or null.
    function directxVersion(text, pattern) {
        var m = pattern.exec(text);
        return m ? [Number(m[1]), Number(m[2]), m[3].toLowerCase()] : null;
    }
    function compareVersions(a, b) {
        for (var i = 0; i < 3; i++) if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
        return 0;
    }
    function judgeDirectX(need, f) {
        var wants = typeof need == "string" ? directxVersion(need, /^\s*(\d+)\.(\d+)\s*([a-zA-Z]?)\s*$/) : null;
        var have = f.value == null ? null : directxVersion(f.value, /^DirectX (\d+)\.(\d+) ?([a-z]?)\s*$/);
        // "DirectX 0.0" is the control's answer when nothing was found.
        if (!wants || !have || (have[0] == 0 && have[1] == 0)) return UNKNOWN;
        if (compareVersions(have, wants) >= 0) return MEETS;
        // Without the diagnostic provider the control reads the system folder's files, the newest
        // of which it knows tell 11.0: that may be a newer DirectX.
        return compareVersions(have, [11, 0, ""]) == 0 ? UNKNOWN : BELOW;
    }

    // Names as words: lower case, every run of other characters one blank, blanks around.
    function words(text) {
        return " " + String(text).toLowerCase().replace(/[^a-z0-9]+/g, " ") + " ";
    }
    // Any of the names found as a word in the adapter's name or its vendor. Answers the verdict
    // and the fact that decided it.
    function judgeVendors(need, answer) {
        var names = typeof need == "string" ? [need] : need, known = null, i, j;
        if (!names || typeof names.length != "number") return [UNKNOWN, "vga"];
        var sources = ["vga", "graphicsVendor"];
        for (i = 0; i < sources.length; i++) {
            var f = answer[sources[i]];
            if (!f || !f.value) continue;
            if (!known) known = sources[i];
            for (j = 0; j < names.length; j++) {
                var name = words(names[j]);
                if (name != "  " && words(f.value).indexOf(name) >= 0) return [MEETS, sources[i]];
            }
        }
        return known ? [BELOW, known] : [UNKNOWN, "vga"];
    }

    // Each requirement: the facts it is judged by, and its judge (need, fact) -> verdict.
    var REQUIREMENTS = {
        os: [["os"], judgeOs],
        bits: [["cpuBit"], judgeBits],
        memory: [["memory"], judgeMemory],
        vgaMemory: [["vgaMemory"], judgeVgaMemory],
        processors: [["processors"], judgeProcessors],
        directx: [["directx"], judgeDirectX],
        graphicsVendors: [["vga", "graphicsVendor"], null]
    };

    function levelVerdict(requirements, answer) {
        var items = {}, verdict = MEETS;
        for (var key in requirements) {
            if (!requirements.hasOwnProperty(key)) continue;
            var need = requirements[key], rule = REQUIREMENTS.hasOwnProperty(key) ? REQUIREMENTS[key] : null;
            var judged = !rule ? [UNKNOWN, null]
                       : rule[1] ? [rule[1](need, answer[rule[0][0]] || fact(null, UNKNOWN, null)), rule[0][0]]
                       : judgeVendors(need, answer);
            var f = (judged[1] && answer[judged[1]]) || fact(null, UNKNOWN, null);
            items[key] = { need: need, have: f.value, verdict: judged[0], source: f.source, from: f.from,
                           fact: judged[1] };
            if (judged[0] == BELOW) verdict = BELOW;
            else if (judged[0] == UNKNOWN && verdict == MEETS) verdict = UNKNOWN;
        }
        return { verdict: verdict, items: items };
    }

    // The verdicts of an answer (as readSpec gives it) against requirements
    // { minimum: {...}, recommended: {...} } (recommended optional), each with any of os (the oldest
    // Windows release, as RELEASES names them), bits (64 or 32), memory and vgaMemory (megabytes),
    // processors (logical processors), directx ("9.0c", "11.0") and graphicsVendors (names, any of
    // which found as a word in the adapter's name or vendor meets). Answers
    //   { verdict: "recommended" | "minimum" | "below" | "unknown",
    //     minimum: { verdict, items }, recommended: { verdict, items } or null }
    // with one item per requirement given, { need, have, verdict, source, from, fact }, each verdict
    // "meets", "below" or "unknown". A level is "below" when an item is, "meets" when all meet.
    function verdicts(requirements, answer) {
        requirements = requirements || {};
        answer = answer || {};
        var minimum = levelVerdict(requirements.minimum || {}, answer);
        var recommended = requirements.recommended ? levelVerdict(requirements.recommended, answer) : null;
        var verdict = minimum.verdict == BELOW ? "below"
                    : minimum.verdict == UNKNOWN ? "unknown"
                    : recommended && recommended.verdict == MEETS ? "recommended" : "minimum";
        return { verdict: verdict, minimum: minimum, recommended: recommended };
    }

    // The facts requirements are judged by.
    function factsFor(requirements) {
        var names = [], levels = [requirements.minimum, requirements.recommended];
        for (var l = 0; l < levels.length; l++) {
            for (var key in levels[l] || {}) {
                if (!REQUIREMENTS.hasOwnProperty(key)) continue;
                var facts = REQUIREMENTS[key][0];
                for (var i = 0; i < facts.length; i++) if (!contains(names, facts[i])) names.push(facts[i]);
            }
        }
        return names;
    }

    // Reads the facts the requirements need (or options.facts) as readSpec does, with its options,
    // and hands callback(verdicts, answer). Returns the verdicts when the read is done on return
    // (script hosts), else null.
    function check(requirements, options, callback) {
        if (typeof options == "function") {
            callback = options;
            options = null;
        }
        requirements = requirements || {};
        var readOptions = {}, result = null;
        for (var key in options || {}) if (options.hasOwnProperty(key)) readOptions[key] = options[key];
        if (!readOptions.facts) readOptions.facts = factsFor(requirements);
        readSpec(readOptions, function (answer) {
            result = verdicts(requirements, answer);
            callPage(callback, [result, answer]);
        });
        return result;
    }

    // ---- The launch ----

    // Object tags of the page's own whose launcher instance has launched once. The control appends
    // each path and argument to what it holds, so a second launch on one instance would start
    // another path.
    var usedElements = [];

    // The launcher control for one launch: the page's tag when options.launcher names one (once),
    // else a fresh hidden tag in a page, else a new instance by ProgID where there is no page.
    // { control, done } (done: after the launch), { used: true }, or null.
    function launcherControl(options) {
        if (options && options.launcher) {
            var el = elementControl(options.launcher, "Execute");
            if (!el) return null;
            if (contains(usedElements, el)) return { used: true };
            return { control: el, done: function () {}, element: el };
        }
        if (pageDocument()) {
            var tag = hiddenControl(LAUNCHER_CLSID, "Execute");
            return tag ? { control: tag.control, done: tag.remove } : null;
        }
        var ctl = progIdControl(LAUNCHER_PROGID);
        return ctl ? { control: ctl, done: function () {} } : null;
    }

    // True when a launch can be asked for here: the launcher control can be created, or the
    // page's object tag holds one that has not launched yet; or, without a launcher control, the
    // settings (optional) make a valid link and there is a page to open it from.
    function canLaunch(options, settings) {
        var found = launcherControl(options);
        if (found && found.done) found.done();
        if (found) return !!found.control;
        var doc = pageDocument();
        return !!(settings && link(settings) && doc && doc.createElement);
    }

    // The launch through the launcher control: its answer, or null when there is no control here.
    function controlLaunch(s, options) {
        var found = launcherControl(options);
        if (!found) return null;
        if (found.used) {
            return { available: false, code: null,
                     message: "This page's launcher has started the game once already; reload the page to start it again." };
        }
        var ctl = found.control;
        function text(v) { return v == null ? "" : String(v); }
        // Marked before the first call: any call may leave the tag's instance holding a path.
        if (found.element) usedElements.push(found.element);
        try {
            ctl.SetRegInfo(typeof s.keyType == "number" ? s.keyType : 2, text(s.regKey), text(s.valueName));
            ctl.SetRegParam(text(s.reg1), text(s.reg2));
            ctl.AddPathName(text(s.pathName));
            ctl.AddParmeter(text(s.param));
            var code = s.boardGame ? ctl.ExecuteBoardGame() : ctl.Execute();
            code = Number(code);
            var meaning = RESULT_TEXT.hasOwnProperty(code) ? RESULT_TEXT[code] : "unknown result";
            return { available: true, code: code, message: "result " + code + ": " + meaning };
        } catch (e) {
            return { available: false, code: null,
                     message: "The launcher control did not answer (" + errorText(e) + ")." };
        } finally {
            found.done();
        }
    }

    // A game id the link handler takes: 1 to 64 letters, digits, '-', '_' and '.', neither "." nor
    // holding "..".
    function isGameId(id) {
        return typeof id == "string" && /^[A-Za-z0-9._-]{1,64}$/.test(id) && id != "." && id.indexOf("..") < 0;
    }

    // The link that starts the registered game settings.game with the texts reg1 ("c", written as
    // "C_Param"), reg2 ("r", "R_Param") and param ("arg", the command line's argument), those given
    // (not null or undefined) in that order, percent-encoded UTF-8. Null without a valid game id,
    // and for a text the handler would refuse as malformed: one holding NUL, or a lone surrogate,
    // which has no UTF-8 form (an engine's encodeURIComponent that refuses more, as Wine's JScript
    // refuses paired surrogates, gives null too). The control's other settings (key, value, program) are not the
    // page's to choose here: the game's registration holds them.
    function link(settings) {
        var s = settings || {};
        if (!isGameId(s.game)) return null;
        var url = "varnok:launch?game=" + s.game, texts = [["c", s.reg1], ["r", s.reg2], ["arg", s.param]];
        try {
            for (var i = 0; i < texts.length; i++) {
                if (texts[i][1] == null) continue;
                var text = String(texts[i][1]);
                if (text.indexOf("\u0000") >= 0) return null;
                url += "&" + texts[i][0] + "=" + encodeURIComponent(text);
            }
        } catch (e) {
            return null;
        }
        return url;
    }

    // The hidden frame the last link was opened in.
    var linkFrame = null;

    // Opens a link in a fresh hidden frame, so that the page stays where it is whatever the browser
    // does with a scheme (a top-level navigation may leave an error page in its place); the
    // previous link's frame goes. False where there is no page to hold the frame.
    function openLink(url) {
        var doc = pageDocument();
        if (!doc || !doc.createElement) return false;
        try {
            if (linkFrame && linkFrame.parentNode) linkFrame.parentNode.removeChild(linkFrame);
            linkFrame = null;
            var frame = doc.createElement("iframe");
            frame.style.display = "none";
            (doc.body || doc.documentElement).appendChild(frame);
            linkFrame = frame;
            frame.src = url;
            return true;
        } catch (e) {
            return false;
        }
    }

    // The launch through the link handler: null where the settings name no game or there is no
    // page to open the link from.
    function linkLaunch(s) {
        if (s.game == null) return null;
        var url = link(s);
        if (!url) return { available: false, code: null, message: NO_LINK };
        return openLink(url) ? { available: "link", code: null, message: LINK_OPENED } : null;
    }

    // settings, as the launcher's methods take them: keyType (0 classes root, 1 current user, other
    // local machine), regKey and valueName (where the installation directory is recorded), reg1
    // and reg2 (the two parameter texts), pathName (the program below the installation directory),
    // param (its command-line argument), boardGame (true: the board-game launch); and game, the id
    // of the game as its installer registered it for the link handler.
    // options: launcher: a launcher object tag of the page's own (the element, its id, or any
    // object with the control's methods), used for one launch.
    // Each way of launching answers null where it is not available here; the first that is, launches.
    function launch(settings, options) {
        var s = settings || {};
        return controlLaunch(s, options) || linkLaunch(s) ||
               { available: false, code: null, message: NOT_AVAILABLE };
    }

    var names = [], labels = {};
    for (var f = 0; f < FACTS.length; f++) {
        names.push(FACTS[f][0]);
        labels[FACTS[f][0]] = FACTS[f][1];
    }

    return {
        facts: names,
        labels: labels,
        releases: RELEASES,
        readSpec: readSpec,
        check: check,
        verdicts: verdicts,
        canLaunch: canLaunch,
        launch: launch,
        link: link
    };
})(this);
