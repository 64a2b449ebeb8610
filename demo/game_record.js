// What the demo's launch scripts share: waiting without WScript.Sleep, and printing the record the
// sample game writes of what it received. Loaded by eval from the scripts, which define `shell`
// (WScript.Shell) and `fso` (Scripting.FileSystemObject) first.

// Wine's script host has no WScript.Sleep; ping.exe waits a second between its echoes.
function pause(ms) {
    try { WScript.Sleep(ms); } catch (e) {
        shell.Run("ping.exe -n " + (Math.ceil(ms / 1000) + 1) + " 127.0.0.1", 0, true);
    }
}

function readText(path) {
    try {
        var f = fso.OpenTextFile(path, 1);
        var text = f.AtEndOfStream ? "" : f.ReadAll();
        f.Close();
        return text.replace(/\r/g, "");
    } catch (e) { return ""; }
}

// Waits up to 40 s for the game's record at `path` and prints it, one received item a line.
function printGameRecord(path) {
    var deadline = new Date().getTime() + 40000, text = "";
    while (new Date().getTime() < deadline) {
        text = readText(path);
        if (text.indexOf("A_Param=") >= 0) break;
        pause(250);
    }
    if (text == "") {
        WScript.Echo("  the game left no record within 40 s");
        return;
    }
    WScript.Echo("What the game received");
    var lines = text.split("\n");
    for (var i = 0; i < lines.length; i++) {
        var eq = lines[i].indexOf("=");
        if (eq < 0) continue;
        var name = lines[i].substring(0, eq), value = lines[i].substring(eq + 1);
        var bar = value.lastIndexOf("|");
        if (name != "module" && name != "cmdline" && bar >= 0) {
            value = "\"" + value.substring(0, bar) + "\" (" + value.substring(bar + 1) + " bytes)";
        }
        var label = {module: "program", cmdline: "command line", parent: "started by"}[name] || name;
        while (label.length < 13) label += " ";
        WScript.Echo("  " + label + " " + value);
    }
}
