// SPDX-License-Identifier: GPL-3.0-or-later
#include "CtlFiles.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "CtlOptions.h"
#include "app/Application.h"
#include "base/Paths.h"
#include "settings/SafeFile.h"

namespace zul::ctl {

namespace {

std::string Absolute(const std::string& path) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

std::string_view Missing(InputSettings needed) {
    switch (needed) {
        case InputSettings::kBanks:
            return "holds no memory bank settings";
        case InputSettings::kSystem:
            return "holds no system settings";
        case InputSettings::kAny:
            break;
    }
    return "holds no controller settings";
}

}  // namespace

ReservedSettingsFile::~ReservedSettingsFile() {
    if (!path_.empty()) {
        context_.app.ReleaseSettingsFile(path_);
    }
}

int ReservedSettingsFile::Reserve(const std::string& path) {
    const std::string target = Absolute(path);
    ResultInfo result;
    ResultInfo check;
    if (CheckWriteTarget(target, ZUL_ERR_INI_FILE_WRITE, &check) != ZUL_OK) {
        SetResult(&result, ZUL_ERR_INI_FILE_WRITE, check.osError, FileNameWithExtension(target),
                  check.detail2);
        return context_.out.Fail(&context_.app.Ui(), result);
    }
    if (!context_.app.ReserveSettingsFile(target)) {
        SetResult(&result, ZUL_ERR_INI_FILE_LOCKED, 0, FileNameWithExtension(target));
        return context_.out.Fail(&context_.app.Ui(), result);
    }
    path_ = target;
    return 0;
}

int CheckOutputFile(CtlContext& context, const std::string& path) {
    ResultInfo result;
    if (CheckWriteTarget(Absolute(path), ZUL_ERR_FILE_WRITE, &result) != ZUL_OK) {
        return context.out.Fail(&context.app.Ui(), result);
    }
    return 0;
}

int SaveSettingsCopy(CtlContext& context, const SettingsStore& store,
                     const ReservedSettingsFile& file) {
    SettingsStore copy(store);
    RestoreLinkItems(context.fileLink, copy);
    ResultInfo save;
    if (copy.Save(&save, file.Path()) != ZUL_OK) {
        ResultInfo result;
        SetResult(&result, ZUL_ERR_INI_FILE_WRITE, save.osError, FileNameWithExtension(file.Path()),
                  save.detail2);
        return context.out.Fail(&context.app.Ui(), result);
    }
    return 0;
}

int LoadSettingsCopy(CtlContext& context, const std::string& path, InputSettings needed,
                     SettingsStore& store) {
    const std::string source = Absolute(path);
    ResultInfo result;
    auto fail = [&](int32_t osError, std::string reason) {
        SetResult(&result, ZUL_ERR_INI_FILE_READ, osError, FileNameWithExtension(source),
                  std::move(reason));
        return context.out.Fail(&context.app.Ui(), result);
    };
    std::error_code ec;
    if (!std::filesystem::exists(source, ec)) {
        // Loading would take a missing file for an empty one.
        return fail(ENOENT, std::strerror(ENOENT));
    }
    ResultInfo load;
    SettingsLoadReport report;
    if (store.Load(&load, source, &report) != ZUL_OK) {
        return fail(load.osError, load.detail2);
    }
    const bool banks = report.bankValues > 0;
    const bool system = report.systemValues > 0;
    const bool enough = needed == InputSettings::kBanks    ? banks
                        : needed == InputSettings::kSystem ? system
                                                           : banks || system;
    if (!enough) {
        return fail(0, std::string(Missing(needed)));
    }
    return 0;
}

}  // namespace zul::ctl
