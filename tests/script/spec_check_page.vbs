' The spec-check control as a page's VBScript sees it: created by its ProgID, every method read.
Option Explicit
Dim passed, failed, ctl, m, v, methods
passed = 0 : failed = 0

Sub Check(name, ok, detail)
    If ok Then
        passed = passed + 1 : WScript.Echo "ok: " & name
    Else
        failed = failed + 1 : WScript.Echo "FAILED: " & name & " (" & detail & ")"
    End If
End Sub

On Error Resume Next
Set ctl = CreateObject("QUELLISSPECCHECK.QuellisSpecCheckCtrl.1")
Check "create by ProgID", Err.Number = 0 And IsObject(ctl), Hex(Err.Number)
Err.Clear

methods = Array("GetStringCPU", "GetStringOS", "GetStringMEMORY", "GetStringDirectX", _
    "GetStringVGA", "GetStringSOUND", "GetStringVGAVer", "GetStringVGADriver", "GetStringVGAID", _
    "GetStringCPUBit", "GetStringMacAddress", "GetStringVGAMemory", "GetStringCPUID", _
    "GetStringSpecVer", "GetStringHDDID")
For Each m In methods
    v = Eval("ctl." & m & "()")
    Check m & " returns a string", Err.Number = 0 And VarType(v) = vbString, Hex(Err.Number) & " " & VarType(v)
    Err.Clear
Next

v = ctl.GetStringCPUBit
Check "GetStringCPUBit without parentheses", Err.Number = 0 And (v = "64Bit" Or v = "32Bit"), v
Err.Clear

WScript.Echo passed & " passed, " & failed & " failed"
