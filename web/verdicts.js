
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
        if (f.source != "browser") {
            // The control's text, directly or through the companion: megabytes; "0MB" is its
            // answer when it could not tell.
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

