    // ---- Reading the facts ----

    var SPEC_PROGID = "QUELLISSPECCHECK.QuellisSpecCheckCtrl.1";
    // The spec-check control's class id (its coclass's uuid), for object tags.
    var SPEC_CLSID = "DB57CD35-85CB-40C4-B8E0-6888F8E040DD";
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


    function methodOf(name) {
        for (var i = 0; i < FACTS.length; i++) if (FACTS[i][0] == name) return FACTS[i][2];
        return null;
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
        // fromProgram: the facts the control or the companion gave, which the browser's late
        // facts leave alone. viaCompanion: the companion's texts by method, where there is no
        // control.
        var spec = specCheckControl(options), read = {}, fromProgram = {}, viaCompanion = {};
        var next = 0, t = timers();

        function arrived(name) {
            callPage(options.onFact, [name, answer[name], answer]);
        }
        // One fact: the control's answer where it gives one, else the companion's, else the
        // browser's.
        function readOne(name) {
            var method = methodOf(name), f = null;
            if (spec && method) {
                var text = callText(spec.control, method);
                if (text !== undefined) f = fact(text, "control", method);
            } else if (method && viaCompanion.hasOwnProperty(method)) {
                f = fact(viaCompanion[method], "companion", method);
            }
            if (f) fromProgram[name] = true;
            answer[name] = f || browserFact(name, read) || answer[name];
            arrived(name);
        }
        function finishLate(v) {
            try {
                if (v && answer.os && !fromProgram.os && v.platform) {
                    var os = String(v.platform);
                    if (v.platformVersion) os += " (platform version " + v.platformVersion + ")";
                    answer.os = fact(os, "browser", "user-agent client hints");
                    arrived("os");
                }
                if (v && answer.cpuBit && !fromProgram.cpuBit && (v.bitness == "64" || v.bitness == "32")) {
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
        if (t && !spec && companionPresent()) {
            // Without a control, the companion's texts of all the methods wanted, in one request.
            var methods = [];
            for (i = 0; i < order.length; i++) if (methodOf(order[i])) methods.push(methodOf(order[i]));
            companionTexts(methods, function (texts) {
                viaCompanion = texts;
                step();
            });
        } else if (t) {
            step();
        } else {
            while (next < order.length) readOne(order[next++]);
            finish();
        }
        return answer;
    }
