// The page library (web/varnok.js) and the sample page's script (demo/page.js) where the controls
// are not there (run with both unregistered), and with object tags that are empty, blocked or
// failing: nothing throws, what nothing gave is "unknown", and launching says it is not available.
var fso = new ActiveXObject("Scripting.FileSystemObject");
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

var METHODS = ["GetStringCPU", "GetStringOS", "GetStringMEMORY", "GetStringDirectX", "GetStringVGA",
               "GetStringSOUND", "GetStringVGAVer", "GetStringVGADriver", "GetStringVGAID",
               "GetStringCPUBit", "GetStringMacAddress", "GetStringVGAMemory", "GetStringCPUID",
               "GetStringSpecVer", "GetStringHDDID"];
var PROGIDS = ["QUELLISSPECCHECK.QuellisSpecCheckCtrl.1", "QuellisLauncher.QuellisLauncherVistaPlay.1"];

// Without this the rest would prove nothing.
for (var p = 0; p < PROGIDS.length; p++) {
    var created = true;
    try { new ActiveXObject(PROGIDS[p]); } catch (e) { created = false; }
    check(PROGIDS[p] + " cannot be created here", !created);
}

function allUnknown(label, answer) {
    var wrong = [];
    for (var i = 0; i < Varnok.facts.length; i++) {
        var f = answer[Varnok.facts[i]];
        if (!f || f.source != "unknown" || f.value !== null) wrong.push(Varnok.facts[i]);
    }
    check(label + ": all " + Varnok.facts.length + " facts unknown", wrong.length == 0, wrong.join(","));
}

step("readSpec without controls", function () {
    var calls = 0, late = null;
    var answer = Varnok.readSpec(function (a) { calls++; late = a; });
    allUnknown("no control", answer);
    check("the callback ran once with the same answer", calls == 1 && late === answer, calls);
});

step("launch without controls", function () {
    check("canLaunch is false", Varnok.canLaunch() === false);
    var r = Varnok.launch({ keyType: 1, regKey: "Software\\VarnokDemo", valueName: "InstallDir",
                            pathName: "\\Game.exe", param: "-x" });
    check("launch is not available", r.available === false && r.code === null, r.available + " " + r.code);
    check("launch says why", /not available in this browser/.test(r.message), r.message);
    var none = Varnok.launch();
    check("launch without settings is not available either", none.available === false);
});

step("sample page without controls", function () {
    var doc = new FakeDocument();
    VarnokPage.start(doc);
    var rows = pageRows(doc.getElementById("facts").innerHTML), wrong = [];
    for (var i = 0; i < Varnok.facts.length; i++) {
        var r = rows[Varnok.facts[i]];
        if (!r || r.source != "unknown" || r.value !== null) wrong.push(Varnok.facts[i]);
    }
    check("the page shows every fact as unknown", countRows(rows) == Varnok.facts.length && wrong.length == 0,
          countRows(rows) + " rows; wrong: " + wrong.join(","));
    check("the page's launch button is disabled", doc.getElementById("startGame").disabled === true);
    check("the page says launching is not available",
          /not available in this browser/.test(doc.getElementById("launchResult").innerHTML));
});

// Stand-in object tags, as browsers hand them to a page.
function specElement(answerFor) {
    var el = {};
    for (var i = 0; i < METHODS.length; i++) {
        (function (m) { el[m] = function () { return answerFor(m); }; })(METHODS[i]);
    }
    return el;
}
function blocked() { throw new Error("Automation server can't create object"); }

step("an object tag without the control's methods", function () {
    // Other browsers, or Internet Explorer when the control did not load: an element, no methods.
    allUnknown("empty object tag", Varnok.readSpec({ specCheck: { id: "varnokSpecCheck" } }));
});
step("a blocked control", function () {
    allUnknown("every call throws", Varnok.readSpec({ specCheck: specElement(blocked) }));
});
step("a control failing one method", function () {
    var answer = Varnok.readSpec({ specCheck: specElement(function (m) {
        if (m == "GetStringVGA") blocked();
        return m == "GetStringSOUND" ? null : "text of " + m;
    }) });
    check("the failing method's fact is unknown", answer.vga.source == "unknown" && answer.vga.value === null,
          answer.vga.source + " " + show(answer.vga.value));
    check("a method that answers no string gives an empty text from the control",
          answer.sound.source == "control" && answer.sound.value === "", show(answer.sound.value));
    check("the others come from the control", answer.os.source == "control" &&
          answer.os.value == "text of GetStringOS" && answer.hddId.value == "text of GetStringHDDID");
});
step("a page's object tag by id", function () {
    var el = specElement(function (m) { return m + "!"; });
    var saved = this.document;
    document = new FakeDocument({ varnokSpecCheck: el });
    try {
        var answer = Varnok.readSpec();
        check("the object tag found by its id answers", answer.cpu.source == "control" &&
              answer.cpu.value == "GetStringCPU!", answer.cpu.source + " " + show(answer.cpu.value));
    } finally {
        document = saved;
    }
});

// A stand-in launcher tag that records the calls it gets.
function launcherElement(result) {
    var el = { calls: [] };
    function record(name) {
        return function () {
            var args = [];
            for (var i = 0; i < arguments.length; i++) args.push(arguments[i]);
            el.calls.push(name + "(" + args.join("|") + ")");
            if (name.indexOf("Execute") == 0) {
                if (result === "throw") blocked();
                return result;
            }
        };
    }
    var names = ["SetRegInfo", "SetRegParam", "AddPathName", "AddParmeter", "Execute", "ExecuteBoardGame"];
    for (var i = 0; i < names.length; i++) el[names[i]] = record(names[i]);
    return el;
}
var SETTINGS = { keyType: 0, regKey: "Software\\Game", valueName: "Dir", reg1: "one", reg2: "two",
                 pathName: "\\game.exe", param: "-a -b" };
var launches = [
    // label, settings, Execute's answer, the calls expected, code, available
    ["game", SETTINGS, 9,
     "SetRegInfo(0|Software\\Game|Dir) SetRegParam(one|two) AddPathName(\\game.exe) AddParmeter(-a -b) Execute()", 9, true],
    ["board game", { keyType: 5, pathName: "board.exe", boardGame: true }, 0,
     "SetRegInfo(5||) SetRegParam(|) AddPathName(board.exe) AddParmeter() ExecuteBoardGame()", 0, true],
    ["no key type", { regKey: "k" }, 2,
     "SetRegInfo(2|k|) SetRegParam(|) AddPathName() AddParmeter() Execute()", 2, true],
    ["a failing launcher", SETTINGS, "throw",
     "SetRegInfo(0|Software\\Game|Dir) SetRegParam(one|two) AddPathName(\\game.exe) AddParmeter(-a -b) Execute()", null, false]
];
for (var l = 0; l < launches.length; l++) {
    (function (t) {
        step("launch through an object tag: " + t[0], function () {
            var el = launcherElement(t[2]);
            check(t[0] + ": canLaunch", Varnok.canLaunch({ launcher: el }) === true);
            var r = Varnok.launch(t[1], { launcher: el });
            check(t[0] + ": the calls", el.calls.join(" ") == t[3], el.calls.join(" "));
            check(t[0] + ": result", r.available === t[5] && r.code === t[4], r.available + " " + r.code + " " + r.message);
            if (t[5]) return;
            check(t[0] + ": says what failed", /did not answer/.test(r.message), r.message);
        });
    })(launches[l]);
}
step("a second launch through one object tag", function () {
    var el = launcherElement(0);
    var first = Varnok.launch(SETTINGS, { launcher: el });
    var second = Varnok.launch(SETTINGS, { launcher: el });
    check("the first starts", first.available === true && first.code === 0);
    check("the second is refused and calls nothing", second.available === false && second.code === null &&
          el.calls.length == 5, el.calls.length + " calls; " + second.message);
    check("canLaunch is false afterwards", Varnok.canLaunch({ launcher: el }) === false);
});
WScript.Echo(passed + " passed, " + failed + " failed");
