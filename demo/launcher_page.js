// What a portal page does to start the game: tells the launcher control where the game's
// installation directory is recorded, hands it the launch parameters, the program and its
// argument, and calls Execute. Here the game is the sample game, installed first under
// C:\VarnokDemo\Program Files\Game; it records what it received, and this page prints that.
// Argument: the sample game's Windows path.
var ROOT = "C:\\VarnokDemo";
var INSTALL_DIR = ROOT + "\\Program Files\\Game";
var GAME = INSTALL_DIR + "\\Game.exe";
var RECORD = ROOT + "\\game-record.txt";
var KEY = "Software\\VarnokDemo";

var shell = WScript.CreateObject("WScript.Shell");
var fso = new ActiveXObject("Scripting.FileSystemObject");

var f = fso.OpenTextFile(fso.GetParentFolderName(WScript.ScriptFullName) + "\\game_record.js", 1);
eval(f.ReadAll());
f.Close();

function main() {
    if (WScript.Arguments.length < 1) {
        WScript.Echo("usage: launcher_page.js <path of the sample game>");
        return;
    }
    // The installation the page expects to find.
    if (!fso.FolderExists(ROOT)) fso.CreateFolder(ROOT);
    if (!fso.FolderExists(ROOT + "\\Program Files")) fso.CreateFolder(ROOT + "\\Program Files");
    if (!fso.FolderExists(INSTALL_DIR)) fso.CreateFolder(INSTALL_DIR);
    fso.CopyFile(WScript.Arguments.Item(0), GAME, true);
    if (fso.FileExists(RECORD)) fso.DeleteFile(RECORD);
    shell.RegWrite("HKCU\\" + KEY + "\\InstallDir", INSTALL_DIR, "REG_SZ");

    // The game inherits these; Wine's script host cannot set them, so the demo sets them too.
    var env = shell.Environment("PROCESS");
    try { env.Item("SAMPLE_GAME_OUT") = RECORD; } catch (e) {}
    try { env.Item("SAMPLE_GAME_KEY") = "HKCU\\" + KEY; } catch (e) {}

    WScript.Echo("VarnokLauncher starting the game");
    WScript.Echo("  installed at  " + GAME + " (HKCU\\" + KEY + ", InstallDir)");
    var ctl = new ActiveXObject("QuellisLauncher.QuellisLauncherVistaPlay");
    ctl.SetRegInfo(1, KEY, "InstallDir");
    ctl.SetRegParam("member=demo-player;session=5F21C0", "server=eu-1 channel=3");
    ctl.AddPathName("\\Game.exe");
    ctl.AddParmeter("-autologin -window");
    var result = ctl.Execute();
    WScript.Echo("  Execute()     " + result);
    if (result !== 0) return;

    printGameRecord(RECORD);
}

try { main(); } catch (e) {
    WScript.Echo("  failed: exception " + (e.number >>> 0).toString(16) + " " + e.message);
}
