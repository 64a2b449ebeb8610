// Methods whose probes are not built yet: they answer an empty text, which is also what they
// answer on a PC that cannot tell.
#include "spec_check_ctrl.h"

BSTR CQuellisSpecCheckCtrl::GetStringDirectX() { return ResultString({}); }
BSTR CQuellisSpecCheckCtrl::GetStringVGA() { return ResultString({}); }
BSTR CQuellisSpecCheckCtrl::GetStringVGAVer() { return ResultString({}); }
BSTR CQuellisSpecCheckCtrl::GetStringVGADriver() { return ResultString({}); }
BSTR CQuellisSpecCheckCtrl::GetStringVGAID() { return ResultString({}); }
BSTR CQuellisSpecCheckCtrl::GetStringVGAMemory() { return ResultString({}); }
BSTR CQuellisSpecCheckCtrl::GetStringCPUID() { return ResultString({}); }
BSTR CQuellisSpecCheckCtrl::GetStringHDDID() { return ResultString({}); }
