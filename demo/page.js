// The sample page's script: the visitor's PC as a table of facts, each with where it came from and
// its verdict against a sample game's minimum and recommended requirements, the overall answer
// above it, and a button that starts the game. The facts appear one by one as they are read. It
// needs the page library varnok.js, and of the page only getElementById and the elements'
// innerHTML, disabled and onclick, so the same file runs in a browser and, with a small stand-in
// document, under cscript.
var VarnokPage = (function () {
    // Where the sample game's installation is recorded, and what it is given: through the launcher
    // control where there is one, else through the game's varnok: link, by the id the sample game
    // is registered under for the link handler (its registration names the same key, value and program).
    var GAME = {
        game: "varnok-sample",
        keyType: 1,
        regKey: "Software\\VarnokDemo",
        valueName: "InstallDir",
        reg1: "member=demo-player;session=5F21C0",
        reg2: "server=eu-1 channel=3",
        pathName: "\\Game.exe",
        param: "-autologin -window"
    };
    // What the sample game needs.
    var REQUIREMENTS = {
        minimum: { os: "Windows 7", bits: 32, memory: 4096, processors: 2, directx: "9.0c", vgaMemory: 1024,
                   graphicsVendors: ["NVIDIA", "AMD", "ATI", "Radeon", "Intel"] },
        recommended: { os: "Windows 10", bits: 64, memory: 8192, processors: 4, directx: "11.0", vgaMemory: 2048,
                       graphicsVendors: ["NVIDIA", "AMD", "Radeon"] }
    };
    var SOURCE_TEXT = { control: "the spec-check control", companion: "the Varnok companion", browser: "the browser",
                        unknown: "could not tell" };
    // The road a launch took, by its answer's `available`.
    var ROAD_TEXT = { "true": "the launcher control", companion: "the Varnok companion", link: "the varnok: link",
                      "false": "none" };
    var REQUIREMENT_TEXT = { os: "operating system", bits: "Windows bitness", memory: "memory", processors: "logical processors",
                             directx: "DirectX", vgaMemory: "video memory", graphicsVendors: "graphics adapter" };

    function escapeHtml(text) {
        return String(text).replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;")
                           .replace(/"/g, "&quot;");
    }
    function needText(name, need) {
        if (name == "os") return need + " or newer";
        if (name == "bits") return need + "-bit";
        if (name == "memory" || name == "vgaMemory") return need + " MB";
        if (name == "directx") return "DirectX " + need;
        if (name == "graphicsVendors") return typeof need == "string" ? need : "one of " + need.join(", ");
        return String(need);
    }
    // A level's verdict cell for one fact: the verdicts of the requirements judged by that fact.
    function verdictCell(level, fact) {
        var texts = [], verdict = "";
        if (level) {
            for (var name in level.items) {
                var item = level.items[name];
                if (item.fact != fact) continue;
                verdict = verdict == "below" || item.verdict == "below" ? "below"
                        : verdict == "unknown" || item.verdict == "unknown" ? "unknown" : "meets";
                texts.push(escapeHtml(item.verdict) + "<br><small>needs " + escapeHtml(needText(name, item.need)) + "</small>");
            }
        }
        return { verdict: verdict, html: "<td class=\"verdict " + verdict + "\">" + texts.join("<br>") + "</td>" };
    }

    // The table of the facts read so far (seen[name] true), one row a fact: label, value, source
    // (and what gave the value), and the verdicts against the minimum and recommended requirements.
    function factsHtml(answer, result, seen) {
        var rows = [], counts = { control: 0, companion: 0, browser: 0, unknown: 0 };
        for (var i = 0; i < Varnok.facts.length; i++) {
            var name = Varnok.facts[i], f = answer[name];
            if (!f || (seen && !seen[name])) continue;
            counts[f.source]++;
            var value = f.source == "unknown" ? "unknown"
                      : f.value === "" ? "(empty)"
                      : f.value.replace(/\r/g, "\\r").replace(/\n/g, "\\n");
            var minimum = verdictCell(result.minimum, name), recommended = verdictCell(result.recommended, name);
            // The row carries the fact's own text and verdicts too, for whatever else reads the page.
            rows.push("<tr class=\"" + f.source + "\" data-fact=\"" + name + "\" data-source=\"" + f.source + "\"" +
                      (f.value == null ? "" : " data-value=\"" + escapeHtml(f.value) + "\"") +
                      " data-minimum=\"" + minimum.verdict + "\" data-recommended=\"" + recommended.verdict + "\">" +
                      "<th>" + escapeHtml(Varnok.labels[name]) + "</th>" +
                      "<td class=\"value\">" + escapeHtml(value) + "</td>" +
                      "<td class=\"source\">" + escapeHtml(SOURCE_TEXT[f.source]) +
                      (f.from ? " <small>(" + escapeHtml(f.from) + ")</small>" : "") + "</td>" +
                      minimum.html + recommended.html + "</tr>");
        }
        return "<p id=\"summary\">" + counts.control + " facts from the control, " +
               (counts.companion ? counts.companion + " from the companion, " : "") + counts.browser +
               " from the browser, " + counts.unknown + " unknown.</p>" +
               "<table><thead><tr><th>fact</th><th>value</th><th>source</th><th>minimum</th><th>recommended</th></tr>" +
               "</thead><tbody>" + rows.join("") + "</tbody></table>";
    }

    // The requirements of a level whose verdict is `verdict`, as "memory (needs 8192 MB), ...".
    function listed(level, verdict) {
        var names = [];
        for (var name in level.items) {
            if (level.items[name].verdict == verdict) {
                names.push(REQUIREMENT_TEXT[name] + " (needs " + needText(name, level.items[name].need) + ")");
            }
        }
        return names.join(", ");
    }
    // The overall answer, a sentence or two.
    function verdictHtml(result) {
        var text, rec = result.recommended;
        if (result.verdict == "recommended") {
            text = "This PC meets the recommended requirements.";
        } else if (result.verdict == "below") {
            text = "This PC is below the minimum requirements: " + listed(result.minimum, "below") + ".";
        } else if (result.verdict == "unknown") {
            text = "Could not tell whether this PC meets the minimum requirements: " +
                   listed(result.minimum, "unknown") + " could not be told.";
        } else {
            text = "This PC meets the minimum requirements" +
                   (rec && listed(rec, "below") ? "; it is below the recommended: " + listed(rec, "below") : "") +
                   (rec && listed(rec, "unknown") ? "; could not tell the recommended " + listed(rec, "unknown") : "") + ".";
        }
        return "<p class=\"" + result.verdict + "\" data-verdict=\"" + result.verdict + "\">" + escapeHtml(text) + "</p>";
    }

    // Reads the facts and shows each as it arrives, then the overall answer. Answers the verdicts
    // where the read is done on return (script hosts).
    function showFacts(doc) {
        var seen = {}, count = 0;
        return Varnok.check(REQUIREMENTS, {
            facts: Varnok.facts,
            onFact: function (name, f, answer) {
                if (!seen[name]) count++;
                seen[name] = true;
                doc.getElementById("verdict").innerHTML = "<p>Reading what this PC has: " + count + " of " +
                                                          Varnok.facts.length + " facts...</p>";
                doc.getElementById("facts").innerHTML = factsHtml(answer, Varnok.verdicts(REQUIREMENTS, answer), seen);
            }
        }, function (result, answer) {
            doc.getElementById("verdict").innerHTML = verdictHtml(result);
            doc.getElementById("facts").innerHTML = factsHtml(answer, result, null);
        });
    }

    // The outcome of a launch, and the road it took.
    function launchHtml(result) {
        return escapeHtml(result.message) + " <small data-road=\"" + escapeHtml(String(result.available)) + "\">(" +
               escapeHtml(ROAD_TEXT[String(result.available)]) + ")</small>";
    }

    // Starts the game and shows the outcome; answers the launch's result where it is known at
    // once (null while the companion is asked: the outcome is shown when it answers).
    function startGame(doc) {
        var shown = doc.getElementById("launchResult");
        var result = Varnok.launch(GAME, null, function (answer) { shown.innerHTML = launchHtml(answer); });
        if (!result) shown.innerHTML = escapeHtml("Asking the Varnok companion to start the game...");
        return result;
    }

    function start(doc) {
        showFacts(doc);
        var button = doc.getElementById("startGame");
        if (Varnok.canLaunch(null, GAME)) {
            button.onclick = function () { startGame(doc); return false; };
        } else {
            button.disabled = true;
            doc.getElementById("launchResult").innerHTML = launchHtml(Varnok.launch(GAME));
        }
    }

    return { game: GAME, requirements: REQUIREMENTS, factsHtml: factsHtml, showFacts: showFacts,
             startGame: startGame, start: start };
})();
