    // ---- The launch ----

    var LAUNCHER_PROGID = "QuellisLauncher.QuellisLauncherVistaPlay.1";
    // The launcher control's class id (its coclass's uuid), for object tags.
    var LAUNCHER_CLSID = "C6CF25F3-3B01-4C78-91E0-B8CAB886A687";

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
                        "the Varnok companion, or a page that names a registered game.";
    var NO_LINK = "Starting the game is not available: the page's game id or one of its texts cannot be " +
                  "put in a varnok: link.";
    var LINK_OPENED = "Asked the browser to open the game's varnok: link: it asks you whether to open it with " +
                      "the Varnok link handler. If it does not ask, the handler is not installed on this PC " +
                      "(this page cannot tell).";

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
    // companion is on the page, or the settings (optional) make a valid link and there is a page
    // to open it from.
    function canLaunch(options, settings) {
        var found = launcherControl(options);
        if (found && found.done) found.done();
        if (found) return !!found.control;
        if (companionPresent()) return true;
        var doc = pageDocument();
        return !!(settings && (settings.link != null ? serverLink(settings.link) : link(settings)) &&
                  doc && doc.createElement);
    }

    // A result code with its meaning, as a launch answers it.
    function resultMessage(code) {
        return "result " + code + ": " + (RESULT_TEXT.hasOwnProperty(code) ? RESULT_TEXT[code] : "unknown result");
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
            return { available: true, code: code, message: resultMessage(code) };
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

    // A link the portal's server made (and may have signed: its texts, expiry and signature are
    // the server's), when it is one: a varnok:launch link of printable ASCII, as the server
    // percent-encodes it, within the length a browser takes. Else null.
    function serverLink(url) {
        var ok = typeof url == "string" && url.length <= 2083 && /^varnok:launch\?[\x21-\x7e]*$/.test(url);
        return ok ? url : null;
    }

    // The launch through the link handler: null where the settings name no game (nor a server's
    // link) or there is no page to open the link from.
    function linkLaunch(s) {
        if (s.game == null && s.link == null) return null;
        var url = s.link != null ? serverLink(s.link) : link(s);
        if (!url) return { available: false, code: null, message: NO_LINK };
        return openLink(url) ? { available: "link", code: null, message: LINK_OPENED } : null;
    }

    // settings, as the launcher's methods take them: keyType (0 classes root, 1 current user, other
    // local machine), regKey and valueName (where the installation directory is recorded), reg1
    // and reg2 (the two parameter texts), pathName (the program below the installation directory),
    // param (its command-line argument), boardGame (true: the board-game launch); and game, the id
    // of the game as its installer registered it for the link handler.
    // Or { link: a varnok: link the portal's server made }: only that link is opened.
    // options: launcher: a launcher object tag of the page's own (the element, its id, or any
    // object with the control's methods), used for one launch.
    // The roads in order: the control, the companion, the link; each answers null where it is not
    // available here, and the first that is, launches. callback(answer) runs exactly once, for
    // every answer. Returns the answer where it is known at once, null while the companion is
    // asked.
    function launch(settings, options, callback) {
        if (typeof options == "function") {
            callback = options;
            options = null;
        }
        var s = settings || {}, answer = null, within = false;
        function last() {
            return linkLaunch(s) || { available: false, code: null, message: NOT_AVAILABLE };
        }
        if (s.link == null) answer = controlLaunch(s, options);
        if (!answer && s.link == null && companionPresent()) {
            within = true;
            companionLaunch(s, function (viaCompanion) {
                answer = viaCompanion || last();
                if (!within) callPage(callback, [answer]);
            });
            within = false;
            // Unless the companion failed at once, the callback hears it when it answers.
            if (!answer) return null;
        }
        if (!answer) answer = last();
        callPage(callback, [answer]);
        return answer;
    }

