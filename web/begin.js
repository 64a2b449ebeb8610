// Varnok page library: what a page can learn about the visitor's PC, whether that meets a game's
// requirements, and the game launch, in every browser. The build joins it from web/begin.js (this
// wrapper's opening and the helpers every part uses), facts.js, verdicts.js, launch.js,
// companion.js and end.js (the public face).
//
// Varnok.readSpec([options,] [callback]) reads the facts, one entry per fact:
//   { value: text or null, source: "control" | "companion" | "browser" | "unknown", from: what gave it }
// The spec-check control gives its fifteen facts where it can be created (Internet Explorer, and
// its mode inside newer browsers); elsewhere the Varnok companion (a browser extension and its
// native host) gives the control's own texts on the sites it is built for; elsewhere the browser
// gives what it knows (processor count, coarse memory, graphics adapter, platform and bitness)
// and the rest is "unknown". Facts are read one at a time, cheapest first; where the page has
// timers the page's thread is given back between facts, options.onFact(name, fact, answer) hears
// each as it arrives, and the callback gets the whole answer at the end. Without timers (script
// hosts) the read is done when readSpec returns.
// Varnok.check(requirements[, options][, callback]) reads the facts a game's requirements need and
// answers verdicts: see verdicts() below.
// Varnok.launch(settings[, options][, callback]) starts the game through the launcher control,
//   { available: true, code: result code, message } or { available: false, code: null, message };
// without a control, through the companion, { available: "companion", code, message }; else, where
// the settings name a registered game (or give a link the portal's server made), it opens the
// game's `varnok:` link for the link handler and answers
//   { available: "link", code: null, message }: the browser asks the visitor, and nothing comes back.
// Varnok.companion(callback) hears the companion host's version, or null.
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
