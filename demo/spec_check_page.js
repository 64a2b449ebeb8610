// What a portal page reads from the spec-check control before it offers the game.
var names = ["GetStringCPU", "GetStringOS", "GetStringMEMORY", "GetStringDirectX", "GetStringVGA",
             "GetStringSOUND", "GetStringVGAVer", "GetStringVGADriver", "GetStringVGAID",
             "GetStringCPUBit", "GetStringMacAddress", "GetStringVGAMemory", "GetStringCPUID",
             "GetStringSpecVer", "GetStringHDDID"];

function pad(text, width) {
    while (text.length < width) text += " ";
    return text;
}

var ctl = new ActiveXObject("QUELLISSPECCHECK.QuellisSpecCheckCtrl.1");
WScript.Echo("VarnokSpecCheck on this PC");
WScript.Echo(pad("method", 22) + "| value");
WScript.Echo(pad("", 22, "-").replace(/ /g, "-") + "+-------------------------------------");
for (var i = 0; i < names.length; i++) {
    var value;
    try {
        value = ctl[names[i]]();
        // Line breaks inside a value are shown as \r and \n, so each value keeps to its row.
        value = value.replace(/\r/g, "\\r").replace(/\n/g, "\\n");
        value = value.length ? "\"" + value + "\"" : "(empty)";
    } catch (e) {
        value = "(exception " + (e.number >>> 0).toString(16) + ")";
    }
    WScript.Echo(pad(names[i], 22) + "| " + value);
}
WScript.Echo("(GetStringCPUID and GetStringHDDID come from a sample gate program here; a real PC " +
             "gets them from the portal's own gate program.)");
