// GetStringOS as a page's JScript sees it, with cscript.exe told a Windows version: the control's
// answer must be the name the rule gives for the facts Windows reports under that same version.
// A helper program, told the same version, gathers those facts and writes the expected name.
// Arguments: the helper's Windows path, and the text the name must begin with (alternatives
// separated by "|").
// check, step and summary: tests/script/checks.js.
eval(new ActiveXObject("Scripting.FileSystemObject").OpenTextFile(
    WScript.ScriptFullName.replace(/[^\\]*$/, "checks.js"), 1).ReadAll());

var APP_DEFAULTS = "HKCU\\Software\\Wine\\AppDefaults\\";
var HELPER_EXE = "os_name_expected.exe";
var shell = WScript.CreateObject("WScript.Shell");
var fso = new ActiveXObject("Scripting.FileSystemObject");
var args = WScript.Arguments;
var helper = args.length > 0 ? args.Item(0) : "";
var prefix = args.length > 1 ? args.Item(1) : "";
check("arguments: helper path and expected beginning", helper != "" && prefix != "",
      "got " + args.length + " argument(s)");

// The version this script host is told; the helper is told the same for its run.
var version = "";
try { version = shell.RegRead(APP_DEFAULTS + "cscript.exe\\Version"); } catch (e) {}
WScript.Echo("cscript.exe told: " + (version == "" ? "(prefix default)" : version));

var expected = null, facts = "";
step("helper", function () {
    var out = fso.BuildPath(fso.GetSpecialFolder(2).Path, "os-name-expected.txt");
    if (fso.FileExists(out)) fso.DeleteFile(out);
    var key = APP_DEFAULTS + HELPER_EXE + "\\";
    if (version != "") shell.RegWrite(key + "Version", version, "REG_SZ");
    var rc;
    try {
        rc = shell.Run("\"" + helper + "\" \"" + out + "\"", 0, true);
    } finally {
        // Wine's script host has no RegDelete: reg.exe removes the setting.
        if (version != "") shell.Run("reg.exe delete \"" + key.replace(/\\$/, "") + "\" /f", 0, true);
    }
    check("helper ran", rc === 0, "exit " + rc);
    if (fso.FileExists(out)) {
        var f = fso.OpenTextFile(out, 1);
        var text = f.AtEndOfStream ? "" : f.ReadAll();
        f.Close();
        fso.DeleteFile(out);
        var lines = text.split("\n");
        expected = lines[0];
        facts = lines.length > 1 ? lines[1] : "";
        WScript.Echo("facts: " + facts);
    }
    check("helper wrote a name", expected !== null && expected != "");
});

var ctl = null;
step("create", function () {
    ctl = new ActiveXObject("QUELLISSPECCHECK.QuellisSpecCheckCtrl.1");
    check("create by ProgID", ctl != null);
});
if (ctl && expected !== null) {
    step("GetStringOS", function () {
        var name = ctl.GetStringOS();
        WScript.Echo("GetStringOS: [" + name + "]");
        check("GetStringOS is the rule's name for the reported facts", name === expected,
              "[" + name + "] vs [" + expected + "]");
        var beginnings = prefix.split("|"), begins = false;
        for (var i = 0; i < beginnings.length; i++) {
            if (name.substring(0, beginnings[i].length) === beginnings[i]) begins = true;
        }
        check("GetStringOS begins with [" + prefix + "]", begins, "[" + name + "]");
        check("GetStringOS ends with the build number", / \( build -?[0-9]+ \)$/.test(name),
              "[" + name + "]");
        check("a second call gives the same name", ctl.GetStringOS() === name);
    });
}
summary();
