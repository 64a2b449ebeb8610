// The page library (as the build joins it) and demo/page.js as they stand, in a page's script
// engine. "registered": every spec-check fact is the control's own answer, and the page's button
// launches the sample game; in a stand-in page the controls come from object tags of the
// registered classes, a fresh one for each launch, and never by ProgID.
// "unregistered" (both controls unregistered): nothing throws, every fact is unknown, launching is
// not available; stand-in object tags that are empty, blocked or failing change nothing of that.
var fso = new ActiveXObject("Scripting.FileSystemObject"), shell = WScript.CreateObject("WScript.Shell");
// The page the library sees: none under cscript, except where a step puts a stand-in there.
var document = null;
function load(relative) {
    var root = fso.GetParentFolderName(fso.GetParentFolderName(fso.GetParentFolderName(WScript.ScriptFullName)));
    var f = fso.OpenTextFile(root + "\\" + relative, 1), text = f.ReadAll();
    f.Close();
    return text;
}
// The page library as the build joins it (VARNOK_LIBRARY: its Windows path).
function library() {
    var f = fso.OpenTextFile(shell.ExpandEnvironmentStrings("%VARNOK_LIBRARY%"), 1), text = f.ReadAll();
    f.Close();
    return text;
}
eval(library());
eval(load("demo\\page.js"));

// check, step and summary: tests/script/checks.js.
eval(new ActiveXObject("Scripting.FileSystemObject").OpenTextFile(
    WScript.ScriptFullName.replace(/[^\\]*$/, "checks.js"), 1).ReadAll());
// The little of a page's document that demo/page.js uses.
function FakeDocument() {
    var elements = {};
    this.getElementById = function (id) { return elements[id] || (elements[id] = { innerHTML: "", disabled: false }); };
}
// The facts table's rows: fact -> "source [value]".
function pageRows(html) {
    var rows = {}, re = /data-fact="([^"]*)" data-source="([^"]*)"( data-value="([^"]*)")?/g, m;
    while ((m = re.exec(html)) !== null) {
        rows[m[1]] = m[2] + (m[3] ? " [" + m[4].replace(/&lt;/g, "<").replace(/&gt;/g, ">")
                                        .replace(/&quot;/g, "\"").replace(/&amp;/g, "&") + "]" : "");
    }
    return rows;
}
function show(f) { return f ? f.source + (f.value === null ? "" : " [" + f.value + "]") : "missing"; }

var FACTS = { cpu: "GetStringCPU", os: "GetStringOS", memory: "GetStringMEMORY", directx: "GetStringDirectX",
              vga: "GetStringVGA", sound: "GetStringSOUND", vgaVersion: "GetStringVGAVer",
              vgaDriver: "GetStringVGADriver", vgaId: "GetStringVGAID", cpuBit: "GetStringCPUBit",
              macAddress: "GetStringMacAddress", vgaMemory: "GetStringVGAMemory", cpuId: "GetStringCPUID",
              specVersion: "GetStringSpecVer", hddId: "GetStringHDDID",
              processors: null, graphicsVendor: null };
var mode = WScript.Arguments.length > 0 ? WScript.Arguments.Item(0) : "";
// What each fact must be: "control [its answer]" read directly, or "unknown".
var expected = {};
step("expected answers", function () {
    var ctl = mode == "registered" ? new ActiveXObject("QUELLISSPECCHECK.QuellisSpecCheckCtrl.1") : null;
    for (var name in FACTS) expected[name] = ctl && FACTS[name] ? "control [" + ctl[FACTS[name]]() + "]" : "unknown";
    var made = true;
    try { new ActiveXObject("QuellisLauncher.QuellisLauncherVistaPlay.1"); } catch (e) { made = false; }
    check("the controls are " + mode, (mode == "registered") == made && (mode == "registered") == !!ctl, made);
});
function checkAnswer(label, answer, want) {
    for (var name in FACTS) check(label + ": " + name, show(answer[name]) == (want || expected)[name], show(answer[name]));
}
// A stand-in object tag: each method answers answerFor(method).
function specTag(answerFor) {
    var tag = {};
    for (var name in FACTS) if (FACTS[name]) (function (m) { tag[m] = function () { return answerFor(m); }; })(FACTS[name]);
    return tag;
}

step("readSpec", function () {
    var calls = 0, late = null, answer = Varnok.readSpec(function (a) { calls++; late = a; });
    checkAnswer("readSpec", answer);
    check("callback once, with the same answer", calls == 1 && late === answer, calls);
});
step("sample page", function () {
    var doc = new FakeDocument();
    VarnokPage.start(doc);
    var rows = pageRows(doc.getElementById("facts").innerHTML);
    for (var name in FACTS) check("page row " + name, rows[name] == expected[name], rows[name]);
    check("launch button offered only with the launcher", doc.getElementById("startGame").disabled == (mode != "registered"),
          doc.getElementById("launchResult").innerHTML);
    // The prefix tells this script host Windows XP, older than the sample game's minimum; without
    // the control nothing tells the Windows release.
    var shown = /data-verdict="([^"]*)"/.exec(doc.getElementById("verdict").innerHTML);
    check("the page's answer", shown && shown[1] == (mode == "registered" ? "below" : "unknown"), shown && shown[1]);
    if (mode != "registered") return;
    // The page's settings name the sample game's installation (HKCU\Software\VarnokDemo, InstallDir).
    var g = VarnokPage.game, dir = "C:\\VarnokDemo", key = "HKCU\\" + g.regKey + "\\";
    if (!fso.FolderExists(dir)) fso.CreateFolder(dir);
    fso.CopyFile(WScript.Arguments.Item(1), dir + g.pathName, true);
    shell.RegWrite(key + g.valueName, dir, "REG_SZ");
    try {
        doc.getElementById("startGame").onclick();
        var shown = doc.getElementById("launchResult").innerHTML;
        check("the page's button started the game", /^result 0:/.test(shown), shown);
        check("with the page's texts", shell.RegRead(key + "C_Param") == g.reg1 && shell.RegRead(key + "R_Param") == g.reg2,
              shell.RegRead(key + "C_Param"));
        var missing = Varnok.launch({ keyType: 1, regKey: g.regKey + "\\Missing", valueName: g.valueName, pathName: g.pathName });
        var ctl = new ActiveXObject("QuellisLauncher.QuellisLauncherVistaPlay.1");
        ctl.SetRegInfo(1, g.regKey + "\\Missing", g.valueName);
        var code = ctl.Execute();
        check("a missing key gives the control's code " + code, missing.code === code && code !== 0, missing.message);
    } finally {
        shell.Run("reg.exe delete \"HKCU\\" + g.regKey + "\" /f", 0, true);
        // The game may still be running: ping waits a second between tries.
        for (var i = 0; i < 20 && fso.FolderExists(dir); i++) {
            try { fso.DeleteFolder(dir, true); } catch (e) { shell.Run("ping.exe -n 2 127.0.0.1", 0, true); }
        }
    }
});

// A stand-in for Internet Explorer's page: an object tag written into an element's innerHTML gets
// controlFor(its class id) as its control, or an element without methods when that gives null.
function FakePage(controlFor) {
    var page = this;
    page.tags = [];
    page.body = { children: [], appendChild: function (el) { el.parentNode = this; this.children.push(el); },
                  removeChild: function (el) {
                      for (var i = this.children.length - 1; i >= 0; i--) if (this.children[i] === el) this.children.splice(i, 1);
                  } };
    page.getElementById = function () { return null; };
    page.createElement = function () {
        return { style: {}, getElementsByTagName: function (name) {
            var m = /<object classid="clsid:([^"]*)"/i.exec(this.innerHTML);
            if (name != "object" || !m) return [];
            if (!this.control) page.tags.push(this.control = controlFor(m[1].toUpperCase()) || {});
            return [this.control];
        } };
    };
}
function classId(progId) { return shell.RegRead("HKCR\\" + progId + "\\CLSID\\").replace(/[{}]/g, "").toUpperCase(); }
if (mode == "registered") step("object tags in a page", function () {
    var SPEC = "QUELLISSPECCHECK.QuellisSpecCheckCtrl.1", paths = [], launchers = false;
    function nothing() {}
    document = new FakePage(function (clsid) {
        if (clsid == classId(SPEC)) return new ActiveXObject(SPEC);
        if (!launchers || clsid != classId("QuellisLauncher.QuellisLauncherVistaPlay.1")) return null;
        var mine = [];
        paths.push(mine);
        return { SetRegInfo: nothing, SetRegParam: nothing, AddParmeter: nothing, Execute: function () { return 0; },
                 AddPathName: function (p) { mine.push(p); } };
    });
    try {
        checkAnswer("read through a hidden tag", Varnok.readSpec());
        // Without a launcher tag, no launcher by ProgID: the sample game's link in a hidden frame.
        var none = Varnok.launch(VarnokPage.game), frames = document.body.children;
        var frame = frames.length == 1 ? frames[0].src + " " + frames[0].style.display : frames.length + " frames";
        check("no launcher by ProgID in a page: the link instead", none.available === "link" && frame ==
              "varnok:launch?game=varnok-sample&c=member%3Ddemo-player%3Bsession%3D5F21C0&r=server%3Deu-1%20channel%3D3" +
              "&arg=-autologin%20-window none", none.available + " " + frame);
        launchers = true;
        var codes = Varnok.launch({ pathName: "\\one.exe" }).code + " " + Varnok.launch({ pathName: "\\two.exe" }).code;
        check("a hidden tag for the read, a fresh one for each launch, all removed (the link's frame stays)",
              document.tags.length == 4 && frames.length == 1, document.tags.length);
        check("one path each", codes == "0 0" && paths.join(" / ") == "\\one.exe / \\two.exe", codes + ": " + paths.join(" / "));
    } finally {
        document = null;
    }
});

if (mode == "unregistered") {
    step("launch", function () {
        var r = Varnok.launch(VarnokPage.game);
        check("launch not available", !Varnok.canLaunch(null, VarnokPage.game) && r.available === false &&
              r.code === null && /not available in this browser/.test(r.message), r.message);
    });
    var blocked = function () { throw new Error("blocked"); };
    var allUnknown = {}, someFail = {};
    for (var name in FACTS) {
        allUnknown[name] = "unknown";
        someFail[name] = FACTS[name] ? "control [" + FACTS[name] + "!]" : "unknown";
    }
    someFail.vga = "unknown";
    someFail.sound = "control []";
    var tags = [["an empty object tag", {}, allUnknown],
                ["a blocked control", specTag(blocked), allUnknown],
                ["a failing method, a missing string", specTag(function (m) {
                    return m == "GetStringVGA" ? blocked() : m == "GetStringSOUND" ? null : m + "!"; }), someFail]];
    for (var t = 0; t < tags.length; t++) {
        step(tags[t][0], function () { checkAnswer(tags[t][0], Varnok.readSpec({ specCheck: tags[t][1] }), tags[t][2]); });
    }
    // A stand-in launcher tag records its calls.
    step("launcher object tag", function () {
        var calls = [], tag = {};
        var names = ["SetRegInfo", "SetRegParam", "AddPathName", "AddParmeter", "Execute", "ExecuteBoardGame"];
        for (var i = 0; i < names.length; i++) (function (n) {
            tag[n] = function (a, b, c) { calls.push(n + "(" + [a, b, c].join("|") + ")"); return 9; };
        })(names[i]);
        var first = Varnok.launch({ keyType: 5, regKey: "k", valueName: "v", reg1: "one", reg2: "two", pathName: "\\g.exe",
                                    param: "-a", boardGame: true }, { launcher: tag });
        check("settings reach the control's methods", calls.join(" ") == "SetRegInfo(5|k|v) SetRegParam(one|two|) " +
              "AddPathName(\\g.exe||) AddParmeter(-a||) ExecuteBoardGame(||)", calls.join(" "));
        check("its result code", first.available === true && first.code === 9, first.message);
        var second = Varnok.launch({}, { launcher: tag });
        check("a second launch on one tag is refused", second.available === false && calls.length == 5, second.message);
    });
}
summary();
