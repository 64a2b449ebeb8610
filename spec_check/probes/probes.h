// The facts the spec-check control reports. Each probe asks the system afresh on every call and
// keeps nothing; none of them knows the control. The control's dispatch methods turn the texts
// into BSTRs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "spec_check/rules/directx_version.h"
#include "spec_check/rules/os_name.h"

namespace spec_check {

// The processor name the system records, leading spaces dropped; "Load Failed" when unreadable.
std::string ProbeCpuName();
// "64Bit" for a 32-bit process on 64-bit Windows, else "32Bit".
std::string ProbeCpuBits();

// The version facts Windows reports to this process, and the name they give.
OsFacts GatherOsFacts();
std::string ProbeOsName();

// Installed physical memory in even megabytes, "MB" behind.
std::string ProbeMemory();
// The control's fixed version text.
std::string SpecVersionText();

// The DirectX release, from the diagnostic provider when it gives major, minor and a letter,
// else from the system folder's files; the letter lower-cased.
DirectXVersion DetectDirectXVersion();
std::string ProbeDirectX();
// The provider's answer; true only when all three values were accepted. Each accepted value is
// stored at once, whatever comes after it.
bool QueryDxDiagVersion(DirectXVersion& version);
// The release the files of a folder (the system folder when none is named) identify.
DirectXVersion ScanDirectXFileVersions(const std::string& directory);
DirectXVersion ScanDirectXFileVersions();
// One file's version from its version resource; nothing when it has none or it cannot be read.
std::optional<std::uint64_t> ReadFileVersion(const std::string& path);

// The default display adapter as Direct3D 9 reports it: description, driver version, driver
// file and device identifier; and the local video memory DirectDraw 7 reports. Nothing when
// Direct3D 9 (DirectDraw 7 for the memory) cannot be used.
std::optional<std::string> ProbeAdapterDescription();
std::optional<std::string> ProbeDriverVersion();
std::optional<std::string> ProbeDriverFile();
std::optional<std::string> ProbeDeviceId();
std::optional<std::string> ProbeVideoMemory();

// Hardware address of every LAN adapter number NetBIOS knows, one per line.
std::string ProbeAdapterAddresses();

// Description of the last playback device DirectSound enumerates; empty when none.
// Throws std::bad_alloc when the description cannot be kept.
std::string ProbeSoundDevice();

// The machine keys "cpukey" and "hddkey": the gate program is started hidden with the key kind,
// waited for without a time limit, and the value it left under HKLM\Software\Zolmet is read
// once and deleted. Trouble is told in the text: a code below 32 from the shell's search, "-7"
// when a gate program already runs, "-999" when it cannot be started, "Open fail" when the key
// cannot be opened, an empty text when the wait fails or the value is missing or unreadable.
std::string ProbeCpuKey();
std::string ProbeHddKey();
std::string RunGateProgram(const char* argument, const char* valueName);
// Whether a running process's main module has this bare file name, ignoring case.
bool IsGateProgramRunning(const char* fileName);
// A value as narrow text, up to its first NUL or its size: "Open fail" when the key cannot be
// opened for reading; empty when the value is missing, empty or changed size while being read.
// Root numbers: 0 classes root, 1 current user, any other local machine.
std::string ReadRegistryText(int rootNumber, const char* keyPath, const char* valueName);
// Deletes a value of the root's "Software\Zolmet"; false when the key or the value is not there.
bool DeleteRegistryValue(int rootNumber, const char* valueName);

}  // namespace spec_check
