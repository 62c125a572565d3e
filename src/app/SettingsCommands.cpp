// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SettingsCommands.h"

#include "app/Application.h"
#include "link/ThreadCommControler.h"
#include "settings/SettingItem.h"

namespace zul {

std::unique_ptr<SettingsTransfer> MakeSettingsTransfer(Application& app,
                                                       TransferOperation operation,
                                                       ResultInfo* result,
                                                       const SettingsStore* source) {
    ClearResult(result);
    CThreadCommControler* comm = app.CommControler();
    if (comm == nullptr) {
        SetResult(result, ZUL_ERR_OFFLINE);
        return nullptr;
    }
    SettingsStore& main = app.Store();

    // The private copy: for the system operations the main store carrying the system block
    // being written; otherwise the source itself. Write all names the bank of the settings as
    // the controller's bank in the copy only: the main store takes it once the controller has
    // switched (ApplySettingsTransfer), so a failed write leaves it as it was.
    std::unique_ptr<SettingsStore> initial;
    const bool system =
        operation == TransferOperation::kReadSystem || operation == TransferOperation::kWriteSystem;
    if (system) {
        initial = std::make_unique<SettingsStore>(main);
        if (source != nullptr) {
            initial->SetSystemBlock(source->GetSystemBlock());
        }
    } else if (source != nullptr || operation == TransferOperation::kWriteAll) {
        initial = std::make_unique<SettingsStore>(source != nullptr ? *source : main);
        if (operation == TransferOperation::kWriteAll) {
            initial->SetInt<kCtrlCurMemNo>(initial->GetInt<kAppCurMemNo>());
        }
    }
    return std::make_unique<SettingsTransfer>(operation, initial ? *initial : main, *comm,
                                              app.Environment(), app.Ui());
}

void ApplySettingsTransfer(Application& app, SettingsTransfer& transfer) {
    SettingsStore& main = app.Store();
    if (transfer.Operation() == TransferOperation::kReadAll) {
        // The connection may have changed while the transfer ran: its run-time values stay.
        auto lock = main.Lock();
        app.ReplaceSettings(transfer.Store());
        main.SetInt<kAppCurMemNo>(main.GetInt<kCtrlCurMemNo>());
    } else if (transfer.Operation() == TransferOperation::kReadSystem) {
        main.SetSystemBlock(transfer.Store().GetSystemBlock());
    } else if (transfer.Operation() == TransferOperation::kWriteAll) {
        // The controller now works on the bank that was written.
        main.SetInt<kCtrlCurMemNo>(transfer.Store().GetInt<kCtrlCurMemNo>());
    }
}

int32_t RunSettingsTransfer(Application& app, TransferOperation operation, ResultInfo* result,
                            const TransferProgressFn& progress, const SettingsStore* source,
                            const std::function<void(SettingsTransfer*)>& observe) {
    std::unique_ptr<SettingsTransfer> transfer =
        MakeSettingsTransfer(app, operation, result, source);
    if (!transfer) {
        return result != nullptr ? result->code : ZUL_ERR_OFFLINE;
    }
    transfer->SetProgress(progress);
    if (observe) {
        observe(transfer.get());
    }
    int32_t code = transfer->Run();
    if (observe) {
        observe(nullptr);
    }
    if (result != nullptr) {
        *result = transfer->Result();
    }
    if (code != ZUL_OK) {
        return code;
    }
    ApplySettingsTransfer(app, *transfer);
    return ZUL_OK;
}

int32_t ReadControllerSettings(Application& app, SettingsStore& into, bool banksOnly,
                               ResultInfo* result, const TransferProgressFn& progress,
                               const std::function<void(SettingsTransfer*)>& observe) {
    ClearResult(result);
    CThreadCommControler* comm = app.CommControler();
    if (comm == nullptr) {
        return SetResult(result, ZUL_ERR_OFFLINE);
    }
    int32_t failure = ZUL_OK;
    auto run = [&](TransferOperation operation, const SettingsStore& source, int32_t from,
                   int32_t share) -> std::unique_ptr<SettingsTransfer> {
        auto transfer = std::make_unique<SettingsTransfer>(operation, source, *comm,
                                                           app.Environment(), app.Ui());
        if (progress) {
            transfer->SetProgress([&progress, from, share](int32_t percent) {
                progress(from + percent * share / 100);
            });
        }
        if (observe) {
            observe(transfer.get());
        }
        const int32_t code = transfer->Run();
        if (observe) {
            observe(nullptr);
        }
        if (code != ZUL_OK) {
            failure = code;
            if (result != nullptr) {
                *result = transfer->Result();
            }
            return nullptr;
        }
        return transfer;
    };
    auto banks = run(TransferOperation::kReadAll, app.Store(), 0, banksOnly ? 100 : kBankReadShare);
    if (!banks) {
        return failure;
    }
    if (banksOnly) {
        into = banks->Store();
        return ZUL_OK;
    }
    auto system =
        run(TransferOperation::kReadSystem, banks->Store(), kBankReadShare, 100 - kBankReadShare);
    if (!system) {
        return failure;
    }
    into = system->Store();
    return ZUL_OK;
}

}  // namespace zul
