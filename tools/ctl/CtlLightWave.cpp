// SPDX-License-Identifier: GPL-3.0-or-later
// lightwave: capture received-light frames into the history and save them.
#include <algorithm>
#include <chrono>
#include <filesystem>

#include "CtlAcqSupport.h"
#include "CtlCommand.h"
#include "CtlFiles.h"
#include "app/Application.h"
#include "lightwave/LightWaveFile.h"
#include "link/Event.h"

namespace zul::ctl {

namespace {

constexpr std::chrono::seconds kCaptureLimit(60);

bool HasExtension(std::string path, const std::string& tail) {
    std::transform(path.begin(), path.end(), path.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return path.size() >= tail.size() &&
           path.compare(path.size() - tail.size(), tail.size(), tail) == 0;
}

int RunLightWave(CtlContext& context, const CommandArgs& args) {
    Application& app = context.app;
    int64_t frames = 1;
    int64_t interval = 0;
    if (args.values.count("--frames") != 0) {
        auto parsed = ParseInteger(args.Value("--frames"), 1, 1000000);
        if (!parsed) {
            return UsageFailure("--frames needs a number from 1");
        }
        frames = *parsed;
    }
    if (args.values.count("--interval") != 0) {
        auto parsed = ParseInteger(args.Value("--interval"), 0, 86400000);
        if (!parsed) {
            return UsageFailure("--interval needs milliseconds");
        }
        interval = *parsed;
    }
    const std::string path = args.Value("-o");
    bool csv = HasExtension(path, ".csv");
    if (!csv && !HasExtension(path, ".lwd")) {
        return UsageFailure("lightwave -o needs a .lwd or .csv file");
    }
    if (int status = CheckOutputFile(context, path)) {
        return status;
    }

    auto data = std::make_unique<LightWaveData>();
    CThreadLightWave& thread = *app.LightWave();
    thread.AttachData(data.get());
    thread.SetRepeating(frames > 1 ? 1 : 0);
    Mailbox<LightWaveRequest> mailbox;
    ResultInfo failure;
    auto next = std::chrono::steady_clock::now();
    for (int64_t frame = 0; frame < frames; ++frame) {
        if (frame > 0 && interval > 0) {
            next += std::chrono::milliseconds(interval);
            auto left = next - std::chrono::steady_clock::now();
            if (left > std::chrono::steady_clock::duration::zero()) {
                Event pace;
                pace.WaitFor(std::chrono::duration_cast<std::chrono::milliseconds>(left));
            }
        }
        auto request = std::make_unique<LightWaveRequest>();
        request->onDone = [&mailbox](int64_t, std::unique_ptr<LightWaveRequest> done) {
            mailbox.Put(std::move(done));
        };
        thread.SubmitCapture(std::move(request));
        auto done = mailbox.Wait(kCaptureLimit);
        if (!done) {
            thread.Cancel();
            SetResult(&failure, ZUL_ERR_COMM_TIMEOUT);
            break;
        }
        if (done->result.code != ZUL_OK) {
            failure = done->result;
            break;
        }
        data->AppendCurrentToHistory();
    }
    thread.SetRepeating(0);
    thread.AttachData(nullptr);
    if (failure.code != ZUL_OK) {
        return context.out.Fail(&app.Ui(), failure);
    }
    DataFileOptions options;
    options.csvSeparator = app.Store().GetInt<kSoftCsvSeparator>();
    options.csvUnderdigit = app.Store().GetInt<kSoftCsvUnderdigit>();
    ResultInfo result;
    if (SaveLightWaveFile(*data, CommandLinePath(path), csv, options, &result) != ZUL_OK) {
        return context.out.Fail(&app.Ui(), result);
    }
    auto held = static_cast<int64_t>(data->HistorySize(0));
    context.out.Result({{"file", JsonString(path)}, {"frames", JsonNumber(held)}},
                       {{"file", path}, {"frames", std::to_string(held)}});
    return 0;
}

}  // namespace

std::vector<CtlCommand> LightWaveCommands() {
    return {
        {"lightwave",
         "[--frames N] [--interval MS] -o FILE",
         "capture N frames (default 1), save to FILE.lwd|FILE.csv",
         {"--frames", "--interval", "-o"},
         {},
         {"-o"},
         0,
         0,
         true,
         RunLightWave},
    };
}

}  // namespace zul::ctl
