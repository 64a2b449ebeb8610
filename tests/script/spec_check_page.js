// The spec-check control as a page's JScript sees it: created by its ProgID, every method read.
// check, step and summary: tests/script/checks.js.
eval(new ActiveXObject("Scripting.FileSystemObject").OpenTextFile(
    WScript.ScriptFullName.replace(/[^\\]*$/, "checks.js"), 1).ReadAll());

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
summary();
