// Cost of one call of each spec-check method as a page's JScript sees it: every method that
// starts no outside program is called in rounds, and the median round gives the cost per call.
// A round lasts about 200 ms (at least one call, at most the argument's count, default 20).
var maxCalls = WScript.Arguments.length > 0 ? parseInt(WScript.Arguments.Item(0), 10) : 20;
var rounds = 5;
var names = ["GetStringCPU", "GetStringOS", "GetStringMEMORY", "GetStringDirectX", "GetStringVGA",
             "GetStringSOUND", "GetStringVGAVer", "GetStringVGADriver", "GetStringVGAID",
             "GetStringCPUBit", "GetStringMacAddress", "GetStringVGAMemory", "GetStringSpecVer"];

function pad(text, width) {
    text = String(text);
    while (text.length < width) text = " " + text;
    return text;
}

var ctl = new ActiveXObject("QUELLISSPECCHECK.QuellisSpecCheckCtrl.1");
WScript.Echo("method                 ms per call  calls per round (median of " + rounds +
             " rounds)");
for (var i = 0; i < names.length; i++) {
    var first = new Date().getTime();
    ctl[names[i]]();
    var once = Math.max(new Date().getTime() - first, 1);
    var calls = Math.max(1, Math.min(maxCalls, Math.floor(200 / once)));
    var times = [];
    for (var r = 0; r < rounds; r++) {
        var start = new Date().getTime();
        for (var c = 0; c < calls; c++) ctl[names[i]]();
        times.push((new Date().getTime() - start) / calls);
    }
    times.sort(function (a, b) { return a - b; });
    var name = names[i];
    while (name.length < 22) name += " ";
    WScript.Echo(name + pad(times[Math.floor(rounds / 2)].toFixed(3), 12) + pad(calls, 17));
}
