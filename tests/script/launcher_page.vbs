' The launcher control as a portal page's VBScript drives it, on a Windows before Vista: a game
' installed in a folder with a blank in its name, its installation directory in the registry,
' parameters and arguments set, Execute. VBScript passes variables by reference, so the calls go
' through variables as well as literals. Argument: the sample game's Windows path.
Option Explicit
Dim passed, failed
passed = 0 : failed = 0

Const PROGID = "QuellisLauncher.QuellisLauncherVistaPlay"
Const ROOT = "C:\VarnokScript"
Const INSTALL_DIR = "C:\VarnokScript\Program Files\Game"
Const GAME = "C:\VarnokScript\Program Files\Game\Game.exe"
Const RECORD = "C:\VarnokScript\game-record.txt"
Const KEY = "Software\VarnokScriptTest"
Const C_TEXT = "user=page-test;session=20481"
Const R_TEXT = "ticket 7F3A-99 region=eu"

Sub Check(name, ok, detail)
    If ok Then
        passed = passed + 1 : WScript.Echo "ok: " & name
    Else
        failed = failed + 1 : WScript.Echo "FAILED: " & name & " (" & detail & ")"
    End If
End Sub

' Checks that the statements since the last call raised no error.
Function NoError(name)
    NoError = (Err.Number = 0)
    If Not NoError Then Check name, False, "error " & Hex(Err.Number) & " " & Err.Description
    Err.Clear
End Function

Dim shell, fso, samplePath
On Error Resume Next
Set shell = CreateObject("WScript.Shell")
Set fso = CreateObject("Scripting.FileSystemObject")
samplePath = ""
If WScript.Arguments.Count > 0 Then samplePath = WScript.Arguments.Item(0)
Check "argument: sample game path", samplePath <> "", WScript.Arguments.Count & " argument(s)"

Function RegExists(name)
    On Error Resume Next
    Dim v
    v = shell.RegRead("HKCU\" & KEY & "\" & name)
    RegExists = (Err.Number = 0)
    Err.Clear
End Function

Sub DeleteKey()
    On Error Resume Next
    shell.RegDelete "HKCU\" & KEY & "\"
    ' Wine's script host has no RegDelete: reg.exe does it.
    If Err.Number <> 0 Then
        Err.Clear
        shell.Run "reg.exe delete ""HKCU\" & KEY & """ /f", 0, True
    End If
    Err.Clear
End Sub

' Waits about ms milliseconds. Wine's script host has no WScript.Sleep; ping.exe, which waits a
' second between its echoes, stands in for it there.
Sub Pause(ms)
    On Error Resume Next
    WScript.Sleep ms
    If Err.Number <> 0 Then
        Err.Clear
        shell.Run "ping.exe -n " & (-Int(-ms / 1000) + 1) & " 127.0.0.1", 0, True
    End If
    Err.Clear
End Sub

Sub DeleteRoot()
    On Error Resume Next
    Dim i
    For i = 1 To 20
        If Not fso.FolderExists(ROOT) Then Exit For
        fso.DeleteFolder ROOT, True
        If Err.Number <> 0 Then Err.Clear : Pause 500  ' the game may still be exiting
    Next
    Err.Clear
End Sub

' The game's record file as text; empty when it is not there (yet).
Function RecordText()
    On Error Resume Next
    Dim f
    RecordText = ""
    If fso.FileExists(RECORD) Then
        Set f = fso.OpenTextFile(RECORD, 1)
        If Not f.AtEndOfStream Then RecordText = Replace(f.ReadAll(), vbCr, "")
        f.Close
    End If
    Err.Clear
End Function

' Waits until a complete record (its A_Param line written) is there, or the time is up.
Function WaitForRecord(seconds)
    Dim deadline, text
    deadline = DateAdd("s", seconds, Now)
    Do
        text = RecordText()
        If InStr(text, "A_Param=") > 0 Or Now > deadline Then Exit Do
        Pause 250
    Loop
    WaitForRecord = text
End Function

' The value of the line "name=..." in a record, or "(none)".
Function RecordLine(text, name)
    Dim lines, i
    RecordLine = "(none)"
    lines = Split(text, vbLf)
    For i = 0 To UBound(lines)
        If Left(lines(i), Len(name) + 1) = name & "=" Then
            RecordLine = Mid(lines(i), Len(name) + 2)
            Exit Function
        End If
    Next
End Function

Sub CheckLine(name, text, lineName, expected)
    Check name, RecordLine(text, lineName) = expected, RecordLine(text, lineName)
End Sub

Function CountOf(text, part)
    CountOf = UBound(Split(text, part))
End Function

' The started game inherits this process's environment. Wine's script host cannot change it
' (WshEnvironment's Item is read-only there), so a harness may have set the same values already.
Sub SetEnv(name, value)
    On Error Resume Next
    Dim env
    Set env = shell.Environment("PROCESS")
    env(name) = value
    Err.Clear
    Check "environment " & name, env(name) = value, "[" & env(name) & "]"
    Err.Clear
End Sub

' The installation: the game in a folder with a blank, its directory in the registry.
Dim installed
DeleteKey
DeleteRoot
fso.CreateFolder ROOT
fso.CreateFolder ROOT & "\Program Files"
fso.CreateFolder INSTALL_DIR
fso.CopyFile samplePath, GAME, True
shell.RegWrite "HKCU\" & KEY & "\InstallDir", INSTALL_DIR, "REG_SZ"
installed = NoError("install")
If installed Then
    installed = False
    installed = fso.FileExists(GAME) And shell.RegRead("HKCU\" & KEY & "\InstallDir") = INSTALL_DIR
    installed = NoError("install check") And installed
    Check "game installed under a folder with a blank", installed, ""
End If
SetEnv "SAMPLE_GAME_OUT", RECORD
SetEnv "SAMPLE_GAME_KEY", "HKCU\" & KEY

Dim ctl, result
Set ctl = CreateObject(PROGID & ".1")
Check "create by versioned ProgID", NoError("create by versioned ProgID") And IsObject(ctl), ""

If installed Then
    ' Failures come first, with literals: a start they wrongly made would show up as an extra record.
    Set ctl = CreateObject(PROGID)
    ctl.SetRegInfo 1, "Software\VarnokScriptTest\Missing", "InstallDir"
    ctl.SetRegParam "user=page-test;session=20481", "ticket 7F3A-99 region=eu"
    ctl.AddPathName "\Game.exe"
    ctl.AddParmeter "-x"
    result = ctl.Execute()
    If NoError("missing key") Then Check "Execute with a missing key returns 1", result = 1, result

    Set ctl = CreateObject(PROGID)
    ctl.SetRegInfo 1, "Software\VarnokScriptTest", "NoSuchValue"
    ctl.SetRegParam "user=page-test;session=20481", "ticket 7F3A-99 region=eu"
    ctl.AddPathName "\Game.exe"
    ctl.AddParmeter "-x"
    result = ctl.Execute
    If NoError("missing value") Then
        Check "Execute (no parentheses) with a missing value returns 2", result = 2, result
        Check "a missing value writes no parameters", Not RegExists("C_Param") And Not RegExists("R_Param"), ""
    End If

    ' The launch, every argument a variable (passed by reference).
    Dim keyType, regKey, valueName, reg1, reg2, pathName, param, text
    keyType = 1 : regKey = KEY : valueName = "InstallDir"
    reg1 = C_TEXT : reg2 = R_TEXT : pathName = "\Game.exe" : param = "-x"
    Set ctl = CreateObject(PROGID)
    ctl.SetRegInfo keyType, regKey, valueName
    ctl.SetRegParam reg1, reg2
    ctl.AddPathName pathName
    ctl.AddParmeter param
    result = ctl.Execute()
    If NoError("launch") Then
        Check "Execute returns 0", result = 0, result
        Check "arguments passed by reference are left as they were", keyType = 1 And regKey = KEY And _
              valueName = "InstallDir" And reg1 = C_TEXT And reg2 = R_TEXT And pathName = "\Game.exe" And _
              param = "-x", ""
        Check "C_Param written before the start", shell.RegRead("HKCU\" & KEY & "\C_Param") = C_TEXT, ""
        Check "R_Param written before the start", shell.RegRead("HKCU\" & KEY & "\R_Param") = R_TEXT, ""
        NoError "read the parameters"

        text = WaitForRecord(20)
        Check "the game started once", CountOf(text, "module=") = 1, CountOf(text, "module=") & " record(s)"
        Check "program is the installed game", LCase(RecordLine(text, "module")) = LCase(GAME), _
              RecordLine(text, "module")
        CheckLine "command line is the program and the argument", text, "cmdline", GAME & " -x"
        CheckLine "game read C_Param, the whole 2048-byte field", text, "C_Param", C_TEXT & "|2048"
        CheckLine "game read R_Param, the whole 2048-byte field", text, "R_Param", R_TEXT & "|2048"
        CheckLine "a direct launch writes no A_Param", text, "A_Param", "<no value>"
    End If
End If
Set ctl = Nothing

DeleteKey
Check "cleanup: registry key removed", Not RegExists("InstallDir"), ""
DeleteRoot
Check "cleanup: installation folder removed", Not fso.FolderExists(ROOT), ""
Err.Clear

WScript.Echo passed & " passed, " & failed & " failed"
