// The launcher control as a portal page's JScript drives it: a game installed in a folder with a
// blank in its name, its installation directory in the registry, parameters and arguments set,
// Execute. Arguments: the sample game's Windows path, and the launch the host's Windows version
// leads to: "direct" (before Vista: the game starts here) or "vista" (Vista and later: the elevated
// launch, where an elevated instance in the COM surrogate starts it).
// check, step and summary: tests/script/checks.js.
eval(new ActiveXObject("Scripting.FileSystemObject").OpenTextFile(
    WScript.ScriptFullName.replace(/[^\\]*$/, "checks.js"), 1).ReadAll());

var PROGID = "QuellisLauncher.QuellisLauncherVistaPlay";
var ROOT = "C:\\VarnokScript";
var INSTALL_DIR = ROOT + "\\Program Files\\Game";
var GAME = INSTALL_DIR + "\\Game.exe";
var RECORD = ROOT + "\\game-record.txt";
var KEY = "Software\\VarnokScriptTest";
var C_TEXT = "user=page-test;session=20481";
var R_TEXT = "ticket 7F3A-99 region=eu";

var shell = WScript.CreateObject("WScript.Shell");
var fso = new ActiveXObject("Scripting.FileSystemObject");

var args = WScript.Arguments;
var samplePath = args.length > 0 ? args.Item(0) : "";
var mode = args.length > 1 ? args.Item(1) : "";
check("arguments: sample game path and direct|vista", samplePath != "" && (mode == "direct" || mode == "vista"),
      "got " + args.length + " argument(s)");

// The started game inherits this process's environment. Wine's script host cannot change it
// (WshEnvironment's Item is read-only there), so a harness may have set the same values already.
function setEnv(name, value) {
    var env = shell.Environment("PROCESS");
    try { env.Item(name) = value; } catch (e) {}
    check("environment " + name, env.Item(name) == value, "[" + env.Item(name) + "]");
}

// Waits about ms milliseconds. Wine's script host has no WScript.Sleep; ping.exe, which waits a
// second between its echoes, stands in for it there.
function pause(ms) {
    try { WScript.Sleep(ms); } catch (e) {
        shell.Run("ping.exe -n " + (Math.ceil(ms / 1000) + 1) + " 127.0.0.1", 0, true);
    }
}

function deleteKey() {
    try { shell.RegDelete("HKCU\\" + KEY + "\\"); } catch (e) {
        // Wine's script host has no RegDelete: reg.exe does it.
        shell.Run("reg.exe delete \"HKCU\\" + KEY + "\" /f", 0, true);
    }
}
function regExists(name) {
    try { shell.RegRead("HKCU\\" + KEY + "\\" + name); return true; } catch (e) { return false; }
}
function deleteRoot() {
    for (var i = 0; i < 20 && fso.FolderExists(ROOT); i++) {
        try { fso.DeleteFolder(ROOT, true); } catch (e) { pause(500); }  // the game may still be exiting
    }
}

// Records in the game's record file: one object per start, keyed by the line names.
function readRecords() {
    var records = [];
    if (!fso.FileExists(RECORD)) return records;
    var text = "";
    try {
        var f = fso.OpenTextFile(RECORD, 1);
        if (!f.AtEndOfStream) text = f.ReadAll();
        f.Close();
    } catch (e) { return records; }
    var lines = text.split("\n"), current = null;
    for (var i = 0; i < lines.length; i++) {
        var line = lines[i].replace(/\r$/, "");
        var eq = line.indexOf("=");
        if (eq < 0) continue;
        var name = line.substring(0, eq), value = line.substring(eq + 1);
        if (name == "module") { current = {}; records.push(current); }
        if (current) current[name] = value;
    }
    return records;
}
// Waits until a complete record (its A_Param line written) is there, or the time is up.
function waitForRecord(seconds) {
    var deadline = new Date().getTime() + seconds * 1000;
    while (new Date().getTime() < deadline) {
        var records = readRecords();
        if (records.length > 0 && records[records.length - 1].A_Param !== undefined) return records;
        pause(250);
    }
    return readRecords();
}

function newLauncher(keyType, key, valueName) {
    var ctl = new ActiveXObject(PROGID);
    ctl.SetRegInfo(keyType, key, valueName);
    ctl.SetRegParam(C_TEXT, R_TEXT);
    ctl.AddPathName("\\Game.exe");
    ctl.AddParmeter("-x");
    return ctl;
}

// The installation: the game in a folder with a blank, its directory in the registry.
var installed = false;
step("install", function () {
    deleteKey();
    deleteRoot();
    fso.CreateFolder(ROOT);
    fso.CreateFolder(ROOT + "\\Program Files");
    fso.CreateFolder(INSTALL_DIR);
    fso.CopyFile(samplePath, GAME, true);
    shell.RegWrite("HKCU\\" + KEY + "\\InstallDir", INSTALL_DIR, "REG_SZ");
    installed = fso.FileExists(GAME) && shell.RegRead("HKCU\\" + KEY + "\\InstallDir") == INSTALL_DIR;
    check("game installed under a folder with a blank", installed);
});
step("environment", function () {
    setEnv("SAMPLE_GAME_OUT", RECORD);
    setEnv("SAMPLE_GAME_KEY", "HKCU\\" + KEY);
});

step("create", function () {
    var ctl = new ActiveXObject(PROGID);
    check("create by ProgID", ctl != null);
    var versioned = new ActiveXObject(PROGID + ".1");
    check("create by versioned ProgID", versioned != null);
});

if (installed && mode == "direct") {
    // Failures come first: a start they wrongly made would show up as an extra record below.
    step("missing key", function () {
        var ctl = newLauncher(1, KEY + "\\Missing", "InstallDir");
        check("Execute with a missing key returns 1", ctl.Execute() === 1);
    });
    step("missing value", function () {
        var ctl = newLauncher(1, KEY, "NoSuchValue");
        check("Execute with a missing value returns 2", ctl.Execute() === 2);
        check("a missing value writes no parameters", !regExists("C_Param") && !regExists("R_Param"));
    });

    step("launch", function () {
        var ctl = new ActiveXObject(PROGID);
        ctl.SetRegInfo(1, "Software\\VarnokScriptTest", "InstallDir");
        ctl.SetRegParam(C_TEXT, R_TEXT);
        ctl.AddPathName("\\Game.exe");
        ctl.AddParmeter("-x");
        var result = ctl.Execute();
        check("Execute returns 0", result === 0, String(result));
        check("C_Param written before the start", shell.RegRead("HKCU\\" + KEY + "\\C_Param") == C_TEXT);
        check("R_Param written before the start", shell.RegRead("HKCU\\" + KEY + "\\R_Param") == R_TEXT);

        var records = waitForRecord(20);
        check("the game started once", records.length == 1, records.length + " record(s)");
        if (records.length == 0) return;
        var r = records[0];
        check("program is the installed game", r.module.toLowerCase() == GAME.toLowerCase(), r.module);
        check("command line is the program and the argument", r.cmdline == GAME + " -x", r.cmdline);
        check("game read C_Param, the whole 2048-byte field", r.C_Param == C_TEXT + "|2048", r.C_Param);
        check("game read R_Param, the whole 2048-byte field", r.R_Param == R_TEXT + "|2048", r.R_Param);
        check("a direct launch writes no A_Param", r.A_Param == "<no value>", r.A_Param);
    });
}

if (installed && mode == "vista") {
    step("vista launch", function () {
        var ctl = newLauncher(1, KEY, "InstallDir");
        var result = ctl.Execute();
        check("Execute returns 0", result === 0, String(result));
        var records = waitForRecord(30);
        check("the game started once", records.length == 1, records.length + " record(s)");
        if (records.length == 0) return;
        var r = records[0];
        check("started by the elevated instance in the surrogate", r.parent == "dllhost.exe", r.parent);
        check("command line is the program and the argument", r.cmdline == GAME + " -x", r.cmdline);
        check("game read C_Param, the whole 2048-byte field", r.C_Param == C_TEXT + "|2048", r.C_Param);
    });
}

step("cleanup", function () {
    deleteKey();
    check("cleanup: registry key removed", !regExists("InstallDir"));
    deleteRoot();
    check("cleanup: installation folder removed", !fso.FolderExists(ROOT));
});
summary();
