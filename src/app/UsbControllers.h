// The attached USB controllers from the link layer's device enumeration, as plain pairs (the
// settings and link layers each have their own device record).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zul {

class FtdiLibrary;

// (description, serial number) of every attached "ORTA QV-M8" bridge, in the library's order.
// A null library means the process-wide one.
std::vector<std::pair<std::string, std::string>> AttachedUsbControllers(FtdiLibrary* library);

}  // namespace zul
