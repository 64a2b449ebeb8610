' The spec-check control as a page's VBScript sees it: created by its ProgID, every method read.
Option Explicit
Dim passed, failed, ctl, v
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

Sub Expect(name, value)
    Check name & " returns a string", Err.Number = 0 And VarType(value) = vbString, Hex(Err.Number) & " " & VarType(value)
    Err.Clear
End Sub

Expect "GetStringCPU", ctl.GetStringCPU()
Expect "GetStringOS", ctl.GetStringOS()
Expect "GetStringMEMORY", ctl.GetStringMEMORY()
Expect "GetStringDirectX", ctl.GetStringDirectX()
Expect "GetStringVGA", ctl.GetStringVGA()
Expect "GetStringSOUND", ctl.GetStringSOUND()
Expect "GetStringVGAVer", ctl.GetStringVGAVer()
Expect "GetStringVGADriver", ctl.GetStringVGADriver()
Expect "GetStringVGAID", ctl.GetStringVGAID()
Expect "GetStringCPUBit", ctl.GetStringCPUBit()
Expect "GetStringMacAddress", ctl.GetStringMacAddress()
Expect "GetStringVGAMemory", ctl.GetStringVGAMemory()
Expect "GetStringCPUID", ctl.GetStringCPUID()
Expect "GetStringSpecVer", ctl.GetStringSpecVer()
Expect "GetStringHDDID", ctl.GetStringHDDID()

v = ctl.GetStringCPUBit
Check "GetStringCPUBit without parentheses", Err.Number = 0 And (v = "64Bit" Or v = "32Bit"), v
Err.Clear

WScript.Echo passed & " passed, " & failed & " failed"
