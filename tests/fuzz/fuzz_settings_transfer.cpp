// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary replies to a read of all settings or of the system settings, as qvm8ctl
// read-all and read-system run them: every "%EE#RDD" word and every single value goes into the
// transfer's store. The first byte chooses the operation and the firmware version; the rest are
// the replies (see FuzzGate.h). A transfer returns its own result, and the settings of a read
// that succeeded are saved into a file that loads again.
#include <cstdint>
#include <string_view>

#include "FuzzFile.h"
#include "FuzzGate.h"
#include "app/OptionSections.h"
#include "link/LinkEnvironment.h"
#include "link/LinkSettings.h"
#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsTransfer.h"
#include "settings/UiDefinition.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// The UI definition the program ships, loaded once.
struct Definition {
    Definition() {
        Check(ui.Load(zul::UiDefinition::DefaultPath()) == zul::ZUL_OK);
        thresholds = zul::ReadVersionThresholds(ui);
    }
    zul::UiDefinition ui;
    zul::VersionThresholds thresholds;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    if (size < 1) {
        return 0;
    }
    static Definition definition;
    static zul::fuzz::ScratchFile saved(".zul");
    zul::LinkEnvironment environment;
    for (size_t i = 0; i < definition.thresholds.size(); ++i) {
        environment.SetVersionThreshold(i, definition.thresholds[i]);
    }
    // The emulator's firmware, an old one, or a version never identified.
    constexpr uint16_t kVersions[] = {0x0224, 0x0100, zul::kUnknownFirmwareVersion, 0x0200};
    environment.SetFirmwareVersion(kVersions[bytes[0] & 3]);
    const auto operation =
        bytes[0] & 4 ? zul::TransferOperation::kReadSystem : zul::TransferOperation::kReadAll;

    zul::fuzz::FuzzGate gate(std::string_view(reinterpret_cast<const char*>(bytes + 1), size - 1));
    zul::SettingsStore source;
    // Over USB, read-system also reads the RS-232C output mode.
    source.SetInt<zul::kSoftCommunicationType>(bytes[0] & 8 ? zul::kCommunicationUsb
                                                            : zul::kCommunicationRs232c);
    zul::SettingsTransfer transfer(operation, source, gate, environment, definition.ui);
    int32_t code = transfer.Run();
    Check(code == transfer.Result().code);
    if (code != zul::ZUL_OK) {
        return 0;
    }
    zul::ResultInfo info;
    Check(transfer.Store().Save(&info, saved.Path()) == zul::ZUL_OK);
    zul::SettingsStore reloaded;
    Check(reloaded.Load(&info, saved.Path()) == zul::ZUL_OK);
    return 0;
}
