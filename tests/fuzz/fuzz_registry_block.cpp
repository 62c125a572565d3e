// SPDX-License-Identifier: GPL-3.0-or-later
// The settings-file registry on an arbitrary block: the parser on its own (what a valid block
// holds is built back into a block that reads the same), and a registry whose block file holds
// the bytes, as another instance (or a damaged file) may leave it. The registry lists what the
// parser reads, and a reservation made on that block is listed until it is released.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/SettingsFileRegistry.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// Listings of the path, compared without regard to ASCII case as the registry compares.
size_t Listings(const std::vector<std::string>& entries, const std::string& path) {
    return static_cast<size_t>(std::count_if(
        entries.begin(), entries.end(), [&](const auto& e) { return Lower(e) == Lower(path); }));
}

struct Registry {
    Registry() {
        const char* tmp = getenv("TMPDIR");
        folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/qvm8-fuzz-registry-XXXXXX";
        Check(mkdtemp(folder.data()) != nullptr);
        // The registry lists canonical paths.
        char* real = realpath(folder.c_str(), nullptr);
        Check(real != nullptr);
        folder = real;
        free(real);
        // The first instance keeps the registry alive, so that the second one takes the block
        // file as it stands instead of starting from an empty block.
        holder = std::make_unique<zul::SettingsFileRegistry>(folder);
        Check(holder->Open());
        registry = std::make_unique<zul::SettingsFileRegistry>(folder);
        Check(registry->Open());
        blockPath = folder + "/" + std::string(zul::kRegistryBlockName);
        settingsPath = folder + "/fuzz.zul";
    }
    ~Registry() {
        registry.reset();
        holder.reset();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }

    std::string folder;
    std::string blockPath;
    std::string settingsPath;
    std::unique_ptr<zul::SettingsFileRegistry> holder;
    std::unique_ptr<zul::SettingsFileRegistry> registry;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    std::vector<uint8_t> block(bytes, bytes + size);
    std::vector<std::string> entries = zul::ParseRegistryBlock(block);
    std::vector<uint8_t> rebuilt;
    if (zul::BuildRegistryBlock(entries, rebuilt)) {
        Check(rebuilt.size() == zul::kRegistryBlockSize);
        Check(zul::ParseRegistryBlock(rebuilt) == entries);
    }

    static Registry registry;  // one folder for the whole run, removed when the process ends
    Registry* shared = &registry;
    int fd = ::open(shared->blockPath.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    Check(fd >= 0);
    Check(::write(fd, bytes, size) == static_cast<ssize_t>(size));
    ::close(fd);

    // The registry reads the first kRegistryBlockSize bytes, zeros beyond a short file.
    std::vector<uint8_t> seen(zul::kRegistryBlockSize, 0);
    std::copy_n(block.begin(), std::min(block.size(), seen.size()), seen.begin());
    Check(shared->registry->Entries() == zul::ParseRegistryBlock(seen));

    const std::string& path = shared->settingsPath;
    size_t before = Listings(shared->registry->Entries(), path);
    if (shared->registry->ReserveSettingsFile(path)) {
        size_t held = Listings(shared->registry->Entries(), path);
        Check(held == (before == 0 ? 1 : before));
        Check(shared->registry->ReleaseSettingsFile(path));
        Check(Listings(shared->registry->Entries(), path) == held - 1);
    }
    return 0;
}
