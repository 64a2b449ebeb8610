// The page library (web/varnok.js) and the sample page's script (demo/page.js), evaluated as they
// stand by the script engine of a page, with both controls registered: every spec-check fact is
// the control's own answer, from the control; the sample page shows those answers and starts the
// sample game through the launcher. Argument: the sample game's Windows path. Run with the host
// told Windows XP, so that Execute starts the game in this process.
var fso = new ActiveXObject("Scripting.FileSystemObject");
var shell = WScript.CreateObject("WScript.Shell");
var SOURCE_ROOT = fso.GetParentFolderName(fso.GetParentFolderName(fso.GetParentFolderName(WScript.ScriptFullName)));
function sourceText(relative) {
    var f = fso.OpenTextFile(SOURCE_ROOT + "\\" + relative, 1);
    var text = f.ReadAll();
    f.Close();
    return text;
}
eval(sourceText("tests\\script\\varnok_support.js"));
eval(sourceText("web\\varnok.js"));
eval(sourceText("demo\\page.js"));

var SPEC_PROGID = "QUELLISSPECCHECK.QuellisSpecCheckCtrl.1";
var LAUNCHER_PROGID = "QuellisLauncher.QuellisLauncherVistaPlay.1";
// The library's fact names and the spec-check methods that answer them.
var CONTROL_FACTS = [
    ["cpu", "GetStringCPU"], ["os", "GetStringOS"], ["memory", "GetStringMEMORY"],
    ["directx", "GetStringDirectX"], ["vga", "GetStringVGA"], ["sound", "GetStringSOUND"],
    ["vgaVersion", "GetStringVGAVer"], ["vgaDriver", "GetStringVGADriver"], ["vgaId", "GetStringVGAID"],
    ["cpuBit", "GetStringCPUBit"], ["macAddress", "GetStringMacAddress"],
    ["vgaMemory", "GetStringVGAMemory"], ["cpuId", "GetStringCPUID"], ["specVersion", "GetStringSpecVer"],
    ["hddId", "GetStringHDDID"]
];
// Facts only a browser gives: a script host has none of them.
var BROWSER_FACTS = ["processors", "graphicsVendor"];

// What the control answers, read here directly.
var direct = {};
step("the control read directly", function () {
    var ctl = new ActiveXObject(SPEC_PROGID);
    for (var i = 0; i < CONTROL_FACTS.length; i++) direct[CONTROL_FACTS[i][0]] = ctl[CONTROL_FACTS[i][1]]();
    check("the control read directly", true);
});

function checkControlFacts(label, answer) {
    for (var i = 0; i < CONTROL_FACTS.length; i++) {
        var name = CONTROL_FACTS[i][0], method = CONTROL_FACTS[i][1], f = answer[name];
        check(label + ": " + name + " is the control's " + method,
              f && f.source == "control" && f.from == method && f.value === direct[name],
              f ? f.source + " " + f.from + " " + show(f.value) + " against " + show(direct[name]) : "missing");
    }
    for (var j = 0; j < BROWSER_FACTS.length; j++) {
        var b = answer[BROWSER_FACTS[j]];
        check(label + ": " + BROWSER_FACTS[j] + " is unknown", b && b.source == "unknown" && b.value === null,
              b ? b.source + " " + show(b.value) : "missing");
    }
}

step("readSpec by ProgID", function () {
    var calls = 0, late = null;
    var answer = Varnok.readSpec(function (a) { calls++; late = a; });
    checkControlFacts("by ProgID", answer);
    check("the callback ran once, at once, with the same answer", calls == 1 && late === answer, calls);
});

// Internet Explorer hands the page the object tag's element with the control's methods on it. A
// stand-in element passes each call to a real instance and counts them.
step("readSpec from the object tag", function () {
    var real = new ActiveXObject(SPEC_PROGID), element = {}, calls = 0;
    for (var i = 0; i < CONTROL_FACTS.length; i++) {
        (function (method) {
            element[method] = function () { calls++; return real[method](); };
        })(CONTROL_FACTS[i][1]);
    }
    var answer = Varnok.readSpec({ specCheck: element });
    checkControlFacts("object tag", answer);
    check("every control fact was read from the object tag, once", calls == CONTROL_FACTS.length, calls);
});

step("readSpec of chosen facts", function () {
    var answer = Varnok.readSpec({ facts: ["cpuBit", "specVersion"] });
    var names = [];
    for (var k in answer) if (answer.hasOwnProperty(k)) names.push(k);
    check("only the chosen facts are answered", names.sort().join(",") == "cpuBit,specVersion", names.join(","));
    check("chosen fact cpuBit is the control's", answer.cpuBit && answer.cpuBit.value === direct.cpuBit &&
          answer.cpuBit.source == "control");
});

// The sample page's table: every control fact in its row, with its source.
step("sample page table", function () {
    var doc = new FakeDocument();
    VarnokPage.showFacts(doc);
    var rows = pageRows(doc.getElementById("facts").innerHTML);
    check("the page has one row per fact", countRows(rows) == Varnok.facts.length, countRows(rows));
    for (var i = 0; i < CONTROL_FACTS.length; i++) {
        var name = CONTROL_FACTS[i][0], r = rows[name];
        check("page row " + name + " shows the control's answer from the control",
              r && r.source == "control" && r.value === direct[name],
              r ? r.source + " " + show(r.value) + " against " + show(direct[name]) : "missing");
    }
    for (var j = 0; j < BROWSER_FACTS.length; j++) {
        var b = rows[BROWSER_FACTS[j]];
        check("page row " + BROWSER_FACTS[j] + " is unknown", b && b.source == "unknown" && b.value === null);
    }
});

// Launches. The installation the sample page's settings name: the sample game under
// C:\VarnokDemo\Program Files\Game, its directory recorded in HKCU\Software\VarnokDemo.
var GAME_ROOT = "C:\\VarnokDemo";
var INSTALL_DIR = GAME_ROOT + "\\Program Files\\Game";
var GAME = INSTALL_DIR + "\\Game.exe";
var RECORD = GAME_ROOT + "\\game-record.txt";
var KEY = "HKCU\\" + VarnokPage.game.regKey;

function pause(ms) {
    try { WScript.Sleep(ms); } catch (e) {
        shell.Run("ping.exe -n " + (Math.ceil(ms / 1000) + 1) + " 127.0.0.1", 0, true);
    }
}
function removeInstallation() {
    try { shell.RegDelete(KEY + "\\"); } catch (e) { shell.Run("reg.exe delete \"" + KEY + "\" /f", 0, true); }
    for (var i = 0; i < 20 && fso.FolderExists(GAME_ROOT); i++) {
        try { fso.DeleteFolder(GAME_ROOT, true); } catch (e) { pause(500); }  // the game may be exiting
    }
}
// The sample game's record of its start: line name -> value; null until it is complete.
function waitForRecord(seconds) {
    var deadline = new Date().getTime() + seconds * 1000;
    while (new Date().getTime() < deadline) {
        if (fso.FileExists(RECORD)) {
            var text = "";
            try {
                var f = fso.OpenTextFile(RECORD, 1);
                if (!f.AtEndOfStream) text = f.ReadAll();
                f.Close();
            } catch (e) {}
            var record = {}, lines = text.split("\n");
            for (var i = 0; i < lines.length; i++) {
                var line = lines[i].replace(/\r$/, ""), eq = line.indexOf("=");
                if (eq > 0) record[line.substring(0, eq)] = line.substring(eq + 1);
            }
            if (record.A_Param !== undefined) return record;
        }
        pause(250);
    }
    return null;
}

var installed = false;
step("install", function () {
    var samplePath = WScript.Arguments.length > 0 ? WScript.Arguments.Item(0) : "";
    removeInstallation();
    fso.CreateFolder(GAME_ROOT);
    fso.CreateFolder(GAME_ROOT + "\\Program Files");
    fso.CreateFolder(INSTALL_DIR);
    fso.CopyFile(samplePath, GAME, true);
    shell.RegWrite(KEY + "\\" + VarnokPage.game.valueName, INSTALL_DIR, "REG_SZ");
    installed = fso.FileExists(GAME);
    check("sample game installed where the page's settings say", installed, samplePath);
});

// Launches that fail: the library's result code is the control's own for the same settings.
var failing = [
    ["a missing key", { keyType: 1, regKey: VarnokPage.game.regKey + "\\Missing", valueName: "InstallDir" }],
    ["a missing directory value", { keyType: 1, regKey: VarnokPage.game.regKey, valueName: "NoSuchValue" }],
    ["a missing key below the local machine", { keyType: 2, regKey: "Software\\VarnokNoSuchKey", valueName: "InstallDir" }]
];
for (var i = 0; i < failing.length && installed; i++) {
    (function (label, s) {
        step("launch with " + label, function () {
            var ctl = new ActiveXObject(LAUNCHER_PROGID);
            ctl.SetRegInfo(s.keyType, s.regKey, s.valueName);
            ctl.SetRegParam("", "");
            ctl.AddPathName("\\Game.exe");
            ctl.AddParmeter("-x");
            var expected = ctl.Execute();
            var r = Varnok.launch({ keyType: s.keyType, regKey: s.regKey, valueName: s.valueName,
                                    pathName: "\\Game.exe", param: "-x" });
            check("launch with " + label + ": the control's result code " + expected,
                  r.available === true && r.code === expected && expected !== 0,
                  r.available + " " + r.code + " " + r.message);
        });
    })(failing[i][0], failing[i][1]);
}

// The sample page's button starts the game with the page's settings.
step("sample page starts the game", function () {
    if (!installed) return;
    var doc = new FakeDocument();
    VarnokPage.start(doc);
    var button = doc.getElementById("startGame");
    check("the page offers the launch", !button.disabled && typeof button.onclick == "function");
    button.onclick();
    var shown = doc.getElementById("launchResult").innerHTML;
    check("the page shows result 0", /^result 0:/.test(shown), shown);
    var record = waitForRecord(20);
    check("the game started", record !== null);
    if (!record) return;
    var g = VarnokPage.game;
    check("the game is the installed one", record.module.toLowerCase() == GAME.toLowerCase(), record.module);
    check("its command line carries the page's argument", record.cmdline == GAME + " " + g.param, record.cmdline);
    check("C_Param is the page's first text", record.C_Param == g.reg1 + "|2048", record.C_Param);
    check("R_Param is the page's second text", record.R_Param == g.reg2 + "|2048", record.R_Param);
});

step("cleanup", function () {
    removeInstallation();
    check("cleanup: installation removed", !fso.FolderExists(GAME_ROOT));
});
WScript.Echo(passed + " passed, " + failed + " failed");
