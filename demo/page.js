// The sample page's script: the visitor's PC as a table of facts, each with where it came from,
// and a button that starts the game. It needs web/varnok.js, and of the page only
// getElementById and the elements' innerHTML, disabled and onclick, so the same file runs in a
// browser and, with a small stand-in document, under cscript.
var VarnokPage = (function () {
    // Where the sample game's installation is recorded, and what it is given.
    var GAME = {
        keyType: 1,
        regKey: "Software\\VarnokDemo",
        valueName: "InstallDir",
        reg1: "member=demo-player;session=5F21C0",
        reg2: "server=eu-1 channel=3",
        pathName: "\\Game.exe",
        param: "-autologin -window"
    };
    var SOURCE_TEXT = { control: "the spec-check control", browser: "the browser", unknown: "could not tell" };

    function escapeHtml(text) {
        return String(text).replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;")
                           .replace(/"/g, "&quot;");
    }

    // The table of facts, one row a fact: label, value, source (and what gave the value).
    function factsHtml(answer) {
        var rows = [], counts = { control: 0, browser: 0, unknown: 0 };
        for (var i = 0; i < Varnok.facts.length; i++) {
            var name = Varnok.facts[i], f = answer[name];
            if (!f) continue;
            counts[f.source]++;
            var value = f.source == "unknown" ? "unknown"
                      : f.value === "" ? "(empty)"
                      : f.value.replace(/\r/g, "\\r").replace(/\n/g, "\\n");
            // The row carries the fact's own text too, for whatever else reads the page.
            rows.push("<tr class=\"" + f.source + "\" data-fact=\"" + name + "\" data-source=\"" + f.source + "\"" +
                      (f.value == null ? "" : " data-value=\"" + escapeHtml(f.value) + "\"") + ">" +
                      "<th>" + escapeHtml(Varnok.labels[name]) + "</th>" +
                      "<td class=\"value\">" + escapeHtml(value) + "</td>" +
                      "<td class=\"source\">" + escapeHtml(SOURCE_TEXT[f.source]) +
                      (f.from ? " <small>(" + escapeHtml(f.from) + ")</small>" : "") + "</td></tr>");
        }
        return "<p id=\"summary\">" + counts.control + " facts from the control, " + counts.browser +
               " from the browser, " + counts.unknown + " unknown.</p>" +
               "<table><thead><tr><th>fact</th><th>value</th><th>source</th></tr></thead><tbody>" +
               rows.join("") + "</tbody></table>";
    }

    function showFacts(doc) {
        var answer = Varnok.readSpec(function (complete) {
            doc.getElementById("facts").innerHTML = factsHtml(complete);
        });
        return answer;
    }

    // Starts the game and shows the outcome; answers the launch's result.
    function startGame(doc) {
        var result = Varnok.launch(GAME);
        doc.getElementById("launchResult").innerHTML = escapeHtml(result.message);
        return result;
    }

    function start(doc) {
        showFacts(doc);
        var button = doc.getElementById("startGame");
        if (Varnok.canLaunch()) {
            button.onclick = function () { startGame(doc); return false; };
        } else {
            button.disabled = true;
            doc.getElementById("launchResult").innerHTML = escapeHtml(Varnok.launch(GAME).message);
        }
    }

    return { game: GAME, factsHtml: factsHtml, showFacts: showFacts, startGame: startGame, start: start };
})();
