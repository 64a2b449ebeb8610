// The spec-check control as a page's JScript sees it: created by its ProgID, every method read.
var passed = 0, failed = 0;
function check(name, ok, detail) {
    if (ok) { passed++; WScript.Echo("ok: " + name); }
    else { failed++; WScript.Echo("FAILED: " + name + (detail ? " (" + detail + ")" : "")); }
}
function step(name, fn) {
    try { fn(); } catch (e) { check(name, false, "exception " + (e.number >>> 0).toString(16) + " " + e.message); }
}

var ctl = null;
step("create", function () {
    ctl = new ActiveXObject("QUELLISSPECCHECK.QuellisSpecCheckCtrl.1");
    check("create by ProgID", ctl != null);
});

var methods = ["GetStringCPU", "GetStringOS", "GetStringMEMORY", "GetStringDirectX", "GetStringVGA",
               "GetStringSOUND", "GetStringVGAVer", "GetStringVGADriver", "GetStringVGAID",
               "GetStringCPUBit", "GetStringMacAddress", "GetStringVGAMemory", "GetStringCPUID",
               "GetStringSpecVer", "GetStringHDDID"];
if (ctl) {
    for (var i = 0; i < methods.length; i++) {
        (function (m) {
            step(m, function () {
                var v = ctl[m]();
                check(m + " returns a string", typeof v == "string", typeof v);
            });
        })(methods[i]);
    }
    step("GetStringCPUBit value", function () {
        var bits = ctl.GetStringCPUBit();
        check("GetStringCPUBit is 64Bit or 32Bit", bits == "64Bit" || bits == "32Bit", bits);
    });
    step("GetStringCPU value", function () {
        var cpu = ctl.GetStringCPU();
        check("GetStringCPU has no leading blank", cpu.length == 0 || cpu.charAt(0) != " " ||
              /^ +$/.test(cpu), "[" + cpu + "]");
    });
    step("unknown method", function () {
        var threw = false;
        try { ctl.NoSuchMethod(); } catch (e) { threw = true; }
        check("an unknown name throws", threw);
    });
}
WScript.Echo(passed + " passed, " + failed + " failed");
