// Varnok.check's parsing and comparing in a page's script engine, with cscript.exe told Windows 10
// (a host without a manifest then hears 6.2, and the control names "Windows 8"): against the
// control's real answers, and against stand-in texts for the odd corners.
var fso = new ActiveXObject("Scripting.FileSystemObject"), shell = WScript.CreateObject("WScript.Shell");
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
// check, step and summary: tests/script/checks.js.
eval(load("tests\\script\\checks.js"));

function itemText(item) { return item ? item.verdict + " " + item.source + " [" + item.have + "]" : "missing"; }
function one(requirement, need) { var r = { minimum: {} }; r.minimum[requirement] = need; return r; }
// A stand-in spec-check tag whose methods answer texts[method], or "" for the others it has.
function tag(texts) {
    var t = { GetStringSpecVer: function () { return "1,0,1,3s"; } };
    for (var m in METHODS) (function (method) {
        t[method] = function () { return texts.hasOwnProperty(method) ? texts[method] : ""; };
    })(METHODS[m]);
    return t;
}
var METHODS = { os: "GetStringOS", memory: "GetStringMEMORY", directx: "GetStringDirectX", cpuBit: "GetStringCPUBit",
                vgaMemory: "GetStringVGAMemory", vga: "GetStringVGA" };

// The control's real answers. What the platform reports decides the bitness: a 32-bit process on
// a 64-bit Windows is told PROCESSOR_ARCHITEW6432.
step("the control's real answers", function () {
    var ctl = new ActiveXObject("QUELLISSPECCHECK.QuellisSpecCheckCtrl.1"), vga = ctl.GetStringVGA();
    var wow64 = shell.ExpandEnvironmentStrings("%PROCESSOR_ARCHITEW6432%") != "%PROCESSOR_ARCHITEW6432%";
    WScript.Echo("GetStringOS: " + ctl.GetStringOS() + ", GetStringVGA: " + vga);
    var rows = [["os", "Windows 7", "meets"], ["os", "Windows 8", "meets"],
                ["os", "Windows 8.1", "unknown"], ["os", "Windows 10", "unknown"],
                ["bits", 64, wow64 ? "meets" : "below"], ["bits", 32, "meets"],
                ["memory", 1, "meets"], ["memory", 1000000000, "below"],
                ["directx", "1.0", "meets"], ["vgaMemory", 1, "meets"],
                ["graphicsVendors", [vga.split(" ")[0]], "meets"], ["graphicsVendors", ["Nosuchvendor"], "below"]];
    for (var i = 0; i < rows.length; i++) {
        var item = Varnok.check(one(rows[i][0], rows[i][1])).minimum.items[rows[i][0]];
        check(rows[i][0] + " " + rows[i][1] + ": " + rows[i][2], item.verdict == rows[i][2] && item.source == "control",
              itemText(item));
    }
    var none = Varnok.check(one("processors", 1)).minimum.items.processors;
    check("processors: no source here", none.verdict == "unknown" && none.source == "unknown", itemText(none));
});

// Stand-in texts: fact, its text, its source, requirement, need, verdict.
var CORNERS = [
    ["directx", "DirectX 9.0  \n", "control", "directx", "9.0c", "below"],
    ["directx", "DirectX 9.0 c\n", "control", "directx", "10.0", "below"],
    ["directx", "DirectX 0.0  \n", "control", "directx", "1.0", "unknown"],
    ["directx", "DirectX 11.0  \n", "control", "directx", "12.0", "unknown"],
    ["os", "Unknown Windows", "control", "os", "Windows XP", "unknown"],
    ["os", "", "control", "os", "Windows XP", "unknown"],
    ["os", "Windows 8  ( build 9200 )", "control", "os", "Windows 10", "unknown"],
    ["os", "Windows Server 2008 R2 Standard Edition Service Pack 1 ( build 7601 )", "control", "os", "Windows 7", "meets"],
    ["os", "Windows Server 2008 R2 Standard Edition Service Pack 1 ( build 7601 )", "control", "os", "Windows 8", "below"],
    ["os", "Windows 2000 Professional Service Pack 4 ( build 2195 )", "control", "os", "Windows XP", "below"],
    ["os", "Windows 7  ( build 7600 )", "control", "os", "Windows 11", "unknown"],
    ["memory", "0MB", "control", "memory", 1, "unknown"],
    ["memory", "24106MB", "control", "memory", 24576, "unknown"],
    ["memory", "24106MB", "control", "memory", 32768, "below"],
    ["cpuBit", "32Bit", "control", "bits", 64, "below"],
    ["vgaMemory", null, "control", "vgaMemory", 256, "unknown"],
    ["vgaMemory", "4096MB", "control", "vgaMemory", 8192, "unknown"],
    ["vgaMemory", "1024MB", "control", "vgaMemory", 1024, "unknown"],
    ["vgaMemory", "256MB", "control", "vgaMemory", 512, "below"],
    ["vga", "Intel(R) HD Graphics 4000", "control", "graphicsVendors", ["intel"], "meets"],
    ["vga", "Matrox G200eR2 (Microsoft Corporation - WDDM)", "control", "graphicsVendors", ["ATI"], "below"],
    ["os", "Windows (platform version 13.0.0)", "browser", "os", "Windows 10", "meets"],
    ["os", "Windows (platform version 0.1.0)", "browser", "os", "Windows 8", "below"],
    ["os", "Windows", "browser", "os", "Windows 7", "unknown"],
    ["memory", "8GB", "browser", "memory", 16384, "unknown"],
    ["memory", "4GB", "browser", "memory", 16384, "below"],
    ["memory", "8192MB", "control", "storage", 1, "unknown"]
];
for (var c = 0; c < CORNERS.length; c++) {
    step("corner " + c, function () {
        var row = CORNERS[c], item, texts = {}, answer = {};
        if (row[2] == "control") {
            texts[METHODS[row[0]]] = row[1];
            item = Varnok.check(one(row[3], row[4]), { specCheck: tag(texts) }).minimum.items[row[3]];
        } else {
            answer[row[0]] = { value: row[1], source: "browser", from: "a stand-in" };
            item = Varnok.verdicts(one(row[3], row[4]), answer).minimum.items[row[3]];
        }
        check(row[2] + " " + row[0] + " [" + String(row[1]).replace(/\n/g, "\\n") + "] against " + row[3] + " " +
              row[4] + ": " + row[5],
              item && item.verdict == row[5], itemText(item));
    });
}

// Levels and the overall answer: the control's texts, requirements, verdicts of minimum and
// recommended, and the overall verdict.
var LEVELS = [
    [{ GetStringOS: "Windows 10 ( build 19045 )", GetStringMEMORY: "16384MB" },
     { minimum: { os: "Windows 7", memory: 4096 }, recommended: { os: "Windows 10", memory: 8192 } },
     "meets meets recommended"],
    [{ GetStringOS: "Windows 7  ( build 7600 )", GetStringMEMORY: "16384MB" },
     { minimum: { os: "Windows 7", memory: 4096 }, recommended: { os: "Windows 10", memory: 8192 } },
     "meets below minimum"],
    [{ GetStringOS: "Windows 8  ( build 9200 )", GetStringMEMORY: "2048MB" },
     { minimum: { os: "Windows 10", memory: 4096 }, recommended: { os: "Windows 10" } }, "below unknown below"],
    [{ GetStringOS: "Windows 8  ( build 9200 )", GetStringMEMORY: "8192MB" },
     { minimum: { os: "Windows 10", memory: 4096 }, recommended: { memory: 4096 } }, "unknown meets unknown"]
];
for (var l = 0; l < LEVELS.length; l++) {
    step("levels " + l, function () {
        var r = Varnok.check(LEVELS[l][1], { specCheck: tag(LEVELS[l][0]) });
        var got = r.minimum.verdict + " " + (r.recommended ? r.recommended.verdict : "none") + " " + r.verdict;
        check("levels: " + LEVELS[l][2], got == LEVELS[l][2], got);
    });
}
summary();
