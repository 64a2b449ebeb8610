' A page's full read of the PC's facts, side by side with a peer that reads the same facts through
' WMI, round after round in one script engine. Each read starts from nothing, as a page's does:
' the control is created and its 13 methods that start no outside program are called; the peer
' connects to WMI and reads the processor, operating system, computer system, video controller,
' network adapter configuration and sound device classes, the facts below of every instance.
' Arguments: the file to write ("spec <seconds>" and "wmi <seconds>" lines, or "error <text>")
' and the number of rounds.
Option Explicit

' The facts a page wants, by class: the processor's name; the system's name, version, service
' pack and bitness; the memory; the display adapter's name, driver version, driver files, device
' identifier and memory; the adapters' hardware addresses; the sound device's name.
Dim classes, properties
classes = Array("Win32_Processor", "Win32_OperatingSystem", "Win32_ComputerSystem", _
                "Win32_VideoController", "Win32_NetworkAdapterConfiguration", "Win32_SoundDevice")
properties = Array("Name", "Caption,Version,CSDVersion,OSArchitecture", "TotalPhysicalMemory", _
                   "Name,DriverVersion,InstalledDisplayDrivers,PNPDeviceID,AdapterRAM", _
                   "MACAddress", "Name")

' Seconds since midnight, a step behind midnight counted on.
Function Elapsed(startedAt)
    Dim now
    now = Timer
    If now < startedAt Then now = now + 86400
    Elapsed = now - startedAt
End Function

Function SpecRead()
    Dim ctl, text, started
    started = Timer
    Set ctl = CreateObject("QUELLISSPECCHECK.QuellisSpecCheckCtrl.1")
    text = ctl.GetStringCPU() & ctl.GetStringOS() & ctl.GetStringMEMORY() & _
           ctl.GetStringDirectX() & ctl.GetStringVGA() & ctl.GetStringSOUND() & _
           ctl.GetStringVGAVer() & ctl.GetStringVGADriver() & ctl.GetStringVGAID() & _
           ctl.GetStringCPUBit() & ctl.GetStringMacAddress() & ctl.GetStringVGAMemory() & _
           ctl.GetStringSpecVer()
    Set ctl = Nothing
    SpecRead = Elapsed(started)
End Function

Function WmiRead()
    Dim service, i, items, item, names, j, value, started
    started = Timer
    Set service = GetObject("winmgmts:")
    For i = 0 To UBound(classes)
        Set items = service.ExecQuery("SELECT " & properties(i) & " FROM " & classes(i))
        names = Split(properties(i), ",")
        For Each item In items
            For j = 0 To UBound(names)
                value = item.Properties_.Item(names(j)).Value
            Next
        Next
    Next
    Set service = Nothing
    WmiRead = Elapsed(started)
End Function

Dim fso, out, rounds, r, seconds
Set fso = CreateObject("Scripting.FileSystemObject")
Set out = fso.CreateTextFile(WScript.Arguments.Item(0), True)
rounds = CInt(WScript.Arguments.Item(1))

On Error Resume Next
For r = 1 To rounds
    seconds = SpecRead()
    If Err.Number <> 0 Then
        out.WriteLine "error spec read: " & Hex(Err.Number) & " " & Err.Description
        Err.Clear
    Else
        out.WriteLine "spec " & Replace(CStr(seconds), ",", ".")
    End If
    seconds = WmiRead()
    If Err.Number <> 0 Then
        out.WriteLine "error WMI read: " & Hex(Err.Number) & " " & Err.Description
        Err.Clear
    Else
        out.WriteLine "wmi " & Replace(CStr(seconds), ",", ".")
    End If
Next
out.Close
