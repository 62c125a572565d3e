#include "CtlFiles.h"

#include <unistd.h>

#include <filesystem>

#include "CtlOptions.h"
#include "app/Application.h"
#include "base/Paths.h"

namespace zul::ctl {

namespace {

std::string Absolute(const std::string& path) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

}  // namespace

int SaveSettingsCopy(CtlContext& context, const SettingsStore& store, const std::string& path) {
    const std::string target = Absolute(path);
    ResultInfo result;
    if (!context.app.ReserveSettingsFile(target)) {
        SetResult(&result, ZUL_ERR_INI_FILE_LOCKED, 0, FileNameWithExtension(target));
        return context.out.Fail(&context.app.Ui(), result);
    }
    SettingsStore copy(store);
    RestoreLinkItems(context.fileLink, copy);
    ResultInfo save;
    int32_t code = copy.Save(&save, target);
    context.app.ReleaseSettingsFile(target);
    if (code != ZUL_OK) {
        SetResult(&result, ZUL_ERR_INI_FILE_WRITE, save.osError, FileNameWithExtension(target),
                  save.detail1);
        return context.out.Fail(&context.app.Ui(), result);
    }
    return 0;
}

int LoadSettingsCopy(CtlContext& context, const std::string& path, SettingsStore& store) {
    const std::string source = Absolute(path);
    ResultInfo load;
    if (::access(source.c_str(), R_OK) != 0 || store.Load(&load, source) != ZUL_OK) {
        ResultInfo result;
        SetResult(&result, ZUL_ERR_INI_FILE_READ, load.osError, FileNameWithExtension(source),
                  load.detail1);
        return context.out.Fail(&context.app.Ui(), result);
    }
    return 0;
}

}  // namespace zul::ctl
