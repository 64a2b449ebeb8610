// A page that holds both installed controls while the installer removes them. Arguments: the
// file this script creates once it holds both controls, and the file whose appearance tells it
// that the uninstall is over. It then checks that the controls it holds still answer, and that
// neither can be created anew: the classes are gone.
// check, step and summary: tests/script/checks.js.
eval(new ActiveXObject("Scripting.FileSystemObject").OpenTextFile(
    WScript.ScriptFullName.replace(/[^\\]*$/, "..\\script\\checks.js"), 1).ReadAll());

var SPEC_CHECK = "QUELLISSPECCHECK.QuellisSpecCheckCtrl.1";
var LAUNCHER = "QuellisLauncher.QuellisLauncherVistaPlay";
var SPEC_VERSION = "1,0,1,3s";
// A key that does not exist: the direct launch answers 1 and starts nothing.
var MISSING_KEY = "Software\\VarnokMsiTest\\Missing";

var shell = WScript.CreateObject("WScript.Shell");
var fso = new ActiveXObject("Scripting.FileSystemObject");
var args = WScript.Arguments;
var readyFile = args.length > 0 ? args.Item(0) : "";
var releaseFile = args.length > 1 ? args.Item(1) : "";
check("arguments: ready file and release file", readyFile != "" && releaseFile != "");

// Wine's script host has no WScript.Sleep; ping.exe, which waits a second between its echoes,
// stands in for it there.
function pause(seconds) {
    try { WScript.Sleep(seconds * 1000); } catch (e) {
        shell.Run("ping.exe -n " + (seconds + 1) + " 127.0.0.1", 0, true);
    }
}

var specCheck = null, launcher = null;
step("create", function () {
    specCheck = new ActiveXObject(SPEC_CHECK);
    check("spec-check control created", specCheck != null);
    check("spec-check control answers", specCheck.GetStringSpecVer() == SPEC_VERSION);
    launcher = new ActiveXObject(LAUNCHER);
    check("launcher control created", launcher != null);
    launcher.SetRegInfo(1, MISSING_KEY, "InstallDir");
    check("launcher control answers", launcher.ExecuteWin() === 1);
});

step("hold", function () {
    var f = fso.CreateTextFile(readyFile, true);
    f.WriteLine("holding");
    f.Close();
    // The harness bounds the wait; this bound only keeps a forgotten page from running forever.
    for (var i = 0; i < 900 && !fso.FileExists(releaseFile); i++) pause(1);
    check("released", fso.FileExists(releaseFile));
});

step("after uninstall", function () {
    if (specCheck) check("held spec-check control still answers", specCheck.GetStringSpecVer() == SPEC_VERSION);
    if (launcher) {
        check("held launcher control still answers", launcher.ExecuteWin() === 1);
    }
    var names = [SPEC_CHECK, LAUNCHER, LAUNCHER + ".1"];
    for (var i = 0; i < names.length; i++) {
        var created = false, error = 0;
        try { new ActiveXObject(names[i]); created = true; } catch (e) { error = e.number >>> 0; }
        check(names[i] + " can no longer be created", !created, error.toString(16));
    }
});

specCheck = null;
launcher = null;
summary();
