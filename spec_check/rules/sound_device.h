// What a sound-device enumeration leaves behind: the description of the last device reported.
#pragma once

#include <string>

namespace spec_check {

// Called once per device: the collected text becomes this device's description (its characters
// up to the first NUL; an empty text when there is none), whatever an earlier device left.
// Returns true, so that the enumeration goes on to the next device.
bool CollectSoundDescription(std::string& collected, const char* description);

}  // namespace spec_check
