// Varnok page library: what a page can learn about the visitor's PC, and the game launch, in
// every browser.
//
// Varnok.readSpec([options,] [callback]) answers one plain object, one entry per fact:
//   { value: text or null, source: "control" | "browser" | "unknown", from: what gave it }
// The spec-check control gives its fifteen facts where it can be created (Internet Explorer, and
// its mode inside newer browsers); elsewhere the browser gives what it knows (processor count,
// coarse memory, graphics adapter, platform and bitness) and the rest is "unknown". Some browser
// facts arrive late (user-agent client hints): the callback gets the answer once it is complete,
// at once when nothing is pending.
// Varnok.launch(settings[, options]) starts the game through the launcher control and answers
//   { available: true, code: result code, message } or { available: false, code: null, message }.
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
                        "Explorer (or a browser's Internet Explorer mode) with the VarnokLauncher control.";

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

    // Facts the browser knows at once.
    function browserFacts(answer) {
        var n = nav();
        if (!n) return;
        try {
            var count = n.hardwareConcurrency;
            if (typeof count == "number" && count > 0) {
                answer.processors = fact(String(count), "browser", "navigator.hardwareConcurrency");
            }
        } catch (e) {}
        try {
            var gb = n.deviceMemory;
            if (typeof gb == "number" && gb > 0) {
                answer.memory = fact(gb + "GB", "browser",
                                     "navigator.deviceMemory, rounded by the browser");
            }
        } catch (e) {}
        var adapter = webglAdapter();
        if (adapter) {
            if (adapter.renderer) {
                answer.vga = fact(String(adapter.renderer), "browser", "WebGL unmasked renderer");
            }
            if (adapter.vendor) {
                answer.graphicsVendor = fact(String(adapter.vendor), "browser", "WebGL unmasked vendor");
            }
        }
        try {
            var hints = n.userAgentData;
            if (hints && hints.platform) {
                answer.os = fact(String(hints.platform), "browser", "user-agent client hints");
            }
        } catch (e) {}
    }

    // Facts the browser gives late: the platform's version and bitness. done() runs once, when
    // they are in or when the browser does not answer within a second.
    function lateBrowserFacts(answer, keep, done) {
        var finished = false;
        function finish() {
            if (finished) return;
            finished = true;
            done();
        }
        var n = nav(), hints = null;
        try { hints = n && n.userAgentData; } catch (e) {}
        if (!hints || typeof hints.getHighEntropyValues != "function" || typeof global.setTimeout != "function") {
            finish();
            return;
        }
        try {
            hints.getHighEntropyValues(["platformVersion", "bitness"]).then(function (v) {
                try {
                    if (!keep.os && v.platform) {
                        var os = String(v.platform);
                        if (v.platformVersion) os += " (platform version " + v.platformVersion + ")";
                        answer.os = fact(os, "browser", "user-agent client hints");
                    }
                    if (!keep.cpuBit && (v.bitness == "64" || v.bitness == "32")) {
                        answer.cpuBit = fact(v.bitness + "Bit", "browser", "user-agent client hints");
                    }
                } catch (e) {}
                finish();
            }, finish);
            global.setTimeout(finish, 1000);
        } catch (e) {
            finish();
        }
    }

    // options: specCheck: the spec-check object tag (the element, its id, default
    // "varnokSpecCheck", or any object with the control's methods);
    // facts: the names of the facts wanted (default all; the machine keys start a program and
    // wait for it, so a page that does not need them may leave them out).
    function readSpec(options, callback) {
        if (typeof options == "function") {
            callback = options;
            options = null;
        }
        options = options || {};
        var wanted = options.facts || null;
        var answer = {}, i;
        for (i = 0; i < FACTS.length; i++) {
            answer[FACTS[i][0]] = fact(null, "unknown", null);
        }

        // The browser first; the control's answer, where it has one, takes the fact's place.
        browserFacts(answer);
        var keep = {};
        var spec = specCheckControl(options);
        if (spec) {
            for (i = 0; i < FACTS.length; i++) {
                var name = FACTS[i][0], method = FACTS[i][2];
                if (!method || (wanted && !contains(wanted, name))) continue;
                var text = callText(spec.control, method);
                if (text !== undefined) {
                    answer[name] = fact(text, "control", method);
                    keep[name] = true;
                }
            }
        }
        if (spec) spec.remove();
        spec = null;
        // Only the facts asked for, also after the late ones came in.
        function onlyWanted() {
            if (!wanted) return;
            for (var j = 0; j < FACTS.length; j++) {
                if (!contains(wanted, FACTS[j][0])) delete answer[FACTS[j][0]];
            }
        }
        onlyWanted();
        lateBrowserFacts(answer, keep, function () {
            onlyWanted();
            if (typeof callback == "function") callback(answer);
        });
        return answer;
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
    // page's object tag holds one that has not launched yet.
    function canLaunch(options) {
        var found = launcherControl(options);
        if (found && found.done) found.done();
        return !!(found && found.control);
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

    // settings, as the launcher's methods take them: keyType (0 classes root, 1 current user, other
    // local machine), regKey and valueName (where the installation directory is recorded), reg1
    // and reg2 (the two parameter texts), pathName (the program below the installation directory),
    // param (its command-line argument), boardGame (true: the board-game launch).
    // options: launcher: a launcher object tag of the page's own (the element, its id, or any
    // object with the control's methods), used for one launch.
    // Each way of launching answers null where it is not available here; the first that is, launches.
    function launch(settings, options) {
        var s = settings || {};
        return controlLaunch(s, options) || { available: false, code: null, message: NOT_AVAILABLE };
    }

    var names = [], labels = {};
    for (var f = 0; f < FACTS.length; f++) {
        names.push(FACTS[f][0]);
        labels[FACTS[f][0]] = FACTS[f][1];
    }

    return {
        facts: names,
        labels: labels,
        readSpec: readSpec,
        canLaunch: canLaunch,
        launch: launch
    };
})(this);
