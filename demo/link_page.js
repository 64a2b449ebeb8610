// The sample game started a second time through its varnok: link, as a browser without the
// controls starts it: the game's installer has registered it for the link handler, the link is
// the one the sample page's button opens (Varnok.link of the page's settings, from the page library
// and demo/page.js as they stand), and the shell hands it to the handler's registered command.
// The game's registration names the demo portal's key ("SignedBy"), so the link is the one the
// portal's server signed (scripts/sign-link with demo/link-key.pem, a key for the demo only).
// Arguments: VarnokLink.exe's Windows path, then "print" (print the page's link, for signing, and
// stop) or the key's public half and the signed link. The sample game is installed already
// (launcher_page.js).
var ROOT = "C:\\VarnokDemo";
var RECORD = ROOT + "\\game-record.txt";
var ENTRY = "HKLM\\Software\\VarnokLauncher\\Games\\";
var SCHEME = "Software\\Classes\\varnok\\";

var shell = WScript.CreateObject("WScript.Shell");
var fso = new ActiveXObject("Scripting.FileSystemObject");
var document = null;  // no page here: the library and the page script only need to load

function load(relative) {
    var root = fso.GetParentFolderName(fso.GetParentFolderName(WScript.ScriptFullName));
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
eval(load("demo\\game_record.js"));


function main() {
    var args = WScript.Arguments, game = VarnokPage.game;
    if (args.length === 2 && args.Item(1) === "print") {
        WScript.Echo(Varnok.link(game));
        return;
    }
    if (args.length !== 3) {
        WScript.Echo("usage: link_page.js <path of VarnokLink.exe> print | <key> <signed link>");
        return;
    }
    var handler = args.Item(0), key = args.Item(1), link = args.Item(2);
    var id = game.game, directory = "HKEY_CURRENT_USER\\" + game.regKey + "|" + game.valueName;

    // What the game's installer writes (this 32-bit script host writes the 32-bit view).
    shell.RegWrite(ENTRY + id + "\\Directory", directory, "REG_SZ");
    shell.RegWrite(ENTRY + id + "\\Program", game.pathName, "REG_SZ");
    shell.RegWrite(ENTRY + id + "\\Elevated", 1, "REG_DWORD");
    shell.RegWrite(ENTRY + id + "\\SignedBy", key, "REG_SZ");
    // The handler registered for this user, as without an installer; Wine's shell looks for a
    // scheme only among the machine's classes, where the installer would put it: copied there.
    shell.Run("\"" + handler + "\" /register", 0, true);
    var command = shell.RegRead("HKCU\\" + SCHEME + "shell\\open\\command\\");
    shell.RegWrite("HKLM\\" + SCHEME, shell.RegRead("HKCU\\" + SCHEME), "REG_SZ");
    shell.RegWrite("HKLM\\" + SCHEME + "URL Protocol", "", "REG_SZ");
    shell.RegWrite("HKLM\\" + SCHEME + "shell\\open\\command\\", command, "REG_SZ");

    if (fso.FileExists(RECORD)) fso.DeleteFile(RECORD);
    WScript.Echo("VarnokLink starting the game through its link, as a browser does");
    WScript.Echo("  registered as " + ENTRY + id);
    WScript.Echo("                Directory " + directory + ", Program " + game.pathName + ", Elevated 1,");
    WScript.Echo("                SignedBy " + key);
    WScript.Echo("  open command  " + command);
    WScript.Echo("  signed link   " + link);
    var code = shell.Run("cmd.exe /c start /wait \"\" \"" + link + "\"", 0, true);
    WScript.Echo("  exit code     " + code);
    if (code !== 0) return;

    printGameRecord(RECORD);
}

try { main(); } catch (e) {
    WScript.Echo("  failed: exception " + (e.number >>> 0).toString(16) + " " + e.message);
}
