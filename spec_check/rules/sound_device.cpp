#include "spec_check/rules/sound_device.h"

namespace spec_check {

bool CollectSoundDescription(std::string& collected, const char* description) {
    if (description) {
        collected = description;
    } else {
        collected.clear();
    }
    return true;
}

}  // namespace spec_check
