// Prints the record the sample game wrote when the companion started it from the sample page in
// Chromium (scripts/demo). Argument: the record's Windows path.
var shell = WScript.CreateObject("WScript.Shell");
var fso = new ActiveXObject("Scripting.FileSystemObject");
var f = fso.OpenTextFile(fso.GetParentFolderName(WScript.ScriptFullName) + "\\game_record.js", 1);
eval(f.ReadAll());
f.Close();
printGameRecord(WScript.Arguments.Item(0));
