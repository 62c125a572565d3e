// SPDX-License-Identifier: GPL-3.0-or-later
// buffer start|stop|state|read: the controller's buffering without the buffering window.
#include <algorithm>
#include <chrono>
#include <filesystem>

#include "CtlAcqSupport.h"
#include "CtlCommand.h"
#include "CtlFiles.h"
#include "app/Application.h"
#include "buffering/BufferingFile.h"
#include "buffering/BufferingProcedures.h"
#include "buffering/BufferingStatistics.h"
#include "link/ThreadCommControler.h"

namespace zul::ctl {

namespace {

// A single read or state request ends within its replies' time-outs; monitoring has no limit.
constexpr std::chrono::seconds kRequestLimit(600);

std::unique_ptr<BufferingRequest> NewRequest(Mailbox<BufferingRequest>& mailbox, int32_t kind) {
    auto request = std::make_unique<BufferingRequest>();
    request->kind = kind;
    request->pollInterval = 5;
    request->onDone = [&mailbox](int64_t, std::unique_ptr<BufferingRequest> done) {
        mailbox.Put(std::move(done));
    };
    return request;
}

int Timeout(CtlContext& context) {
    context.app.Buffering()->Cancel();
    ResultInfo result;
    SetResult(&result, ZUL_ERR_COMM_TIMEOUT);
    return context.out.Fail(&context.app.Ui(), result);
}

bool EndsWith(const std::string& text, const std::string& tail) {
    if (text.size() < tail.size()) {
        return false;
    }
    std::string end = text.substr(text.size() - tail.size());
    std::transform(end.begin(), end.end(), end.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return end == tail;
}

void PrintState(CtlContext& context, const BufferingValueSet& set) {
    std::vector<JsonField> json = {{"buffer_type", JsonNumber(set[kSlotBufferType])}};
    std::vector<std::pair<std::string, std::string>> plain = {
        {"buffer_type", std::to_string(set[kSlotBufferType])}};
    for (int out = 0; out < 2; ++out) {
        std::string name = "out" + std::to_string(out + 1);
        bool involved = OutputInvolved(set[kSlotBufferType], out);
        int32_t state = set[BufferingValueSet::StateRead(out)];
        int32_t last = set[BufferingValueSet::FinalDataPoint(out)];
        json.push_back({name, "{\"involved\": " + std::string(involved ? "true" : "false") +
                                  ", \"state\": " + JsonNumber(state) +
                                  ", \"final_data_point\": " + JsonNumber(last) + "}"});
        plain.emplace_back(name, involved ? "state=" + std::to_string(state) +
                                                " final_data_point=" + std::to_string(last)
                                          : "not involved");
    }
    context.out.Result(json, plain);
}

int RunStart(CtlContext& context, bool wait) {
    Application& app = context.app;
    SettingsStore& store = app.Store();
    ResultInfo result;
    int32_t bank = store.GetInt<kAppCurMemNo>();
    if (WriteBufferingSettingsAndStart(*app.CommControler(), store, app.Ui(), app.FirmwareVersion(),
                                       bank, &result) != ZUL_OK) {
        return context.out.Fail(&app.Ui(), result);
    }
    if (!wait) {
        context.out.Notice("buffering started");
        return 0;
    }
    Mailbox<BufferingRequest> mailbox;
    app.Buffering()->SubmitRequest(NewRequest(mailbox, kStartMonitoring));
    int32_t storeNum = std::max(1, store.GetInt<kBufStoreNum>(bank));
    ProgressBar progress;
    while (true) {
        auto done = mailbox.Wait(kRequestLimit);
        if (!done) {
            return Timeout(context);
        }
        if (done->kind == kMonitoringUpdate) {
            int32_t type = done->working[kSlotBufferType];
            int64_t least = storeNum;
            for (int out = 0; out < 2; ++out) {
                if (OutputInvolved(type, out)) {
                    least = std::min<int64_t>(
                        least, done->working[BufferingValueSet::FinalDataPoint(out)]);
                }
            }
            progress.Update(
                static_cast<int32_t>(std::clamp<int64_t>(least * 100 / storeNum, 0, 99)));
            continue;
        }
        progress.Finish();
        if (done->result.code != ZUL_OK) {
            return context.out.Fail(&app.Ui(), done->result);
        }
        // Complete: the controller is stopped, as the window does.
        if (StopBuffering(*app.CommControler(), &result) != ZUL_OK) {
            return context.out.Fail(&app.Ui(), result);
        }
        PrintState(context, done->working);
        return 0;
    }
}

int RunState(CtlContext& context) {
    Mailbox<BufferingRequest> mailbox;
    context.app.Buffering()->SubmitRequest(NewRequest(mailbox, kReadState));
    auto done = mailbox.Wait(kRequestLimit);
    if (!done) {
        return Timeout(context);
    }
    if (done->result.code != ZUL_OK) {
        return context.out.Fail(&context.app.Ui(), done->result);
    }
    PrintState(context, done->working);
    return 0;
}

int RunRead(CtlContext& context, const std::string& path) {
    Application& app = context.app;
    SettingsStore& store = app.Store();
    bool csv = EndsWith(path, ".csv");
    if (!csv && !EndsWith(path, ".bfd")) {
        return UsageFailure("buffer read -o needs a .bfd or .csv file");
    }
    if (int status = CheckOutputFile(context, path)) {
        return status;
    }
    ResultInfo result;
    bool running = false;
    if (CheckBufferingRunning(*app.CommControler(), &running, &result) != ZUL_OK) {
        return context.out.Fail(&app.Ui(), result);
    }
    if (running) {
        SetResult(&result, ZUL_ERR_BUFFERING_BUSY);
        return context.out.Fail(&app.Ui(), result);
    }
    auto data = std::make_unique<BufferingData>();
    CThreadBuffering& thread = *app.Buffering();
    thread.AttachData(data.get());
    Mailbox<BufferingRequest> mailbox;
    thread.SubmitRequest(NewRequest(mailbox, kReadData));
    auto done = mailbox.Wait(kRequestLimit);
    if (!done) {
        thread.Cancel();
    }
    thread.AttachData(nullptr);
    if (!done) {
        return Timeout(context);
    }
    if (done->result.code != ZUL_OK) {
        PrintState(context, done->working);
        return context.out.Fail(&app.Ui(), done->result);
    }
    // The statistics as the window computes them before it saves.
    BufferingValueSet status = done->working;
    int32_t bank = store.GetInt<kAppCurMemNo>();
    for (int out = 0; out < 2; ++out) {
        status[BufferingValueSet::Judgement(out, kUpperLimit1)] =
            store.GetInt<kBufUpperLimit1JudgeResult>(bank, out);
        status[BufferingValueSet::Judgement(out, kUpperLimit2)] =
            store.GetInt<kBufUpperLimit2JudgeResult>(bank, out);
        status[BufferingValueSet::Judgement(out, kLowerLimit1)] =
            store.GetInt<kBufLowerLimit1JudgeResult>(bank, out);
        status[BufferingValueSet::Judgement(out, kLowerLimit2)] =
            store.GetInt<kBufLowerLimit2JudgeResult>(bank, out);
    }
    ComputeBufferingStatistics(*data, status);
    DataFileOptions options;
    options.csvSeparator = store.GetInt<kSoftCsvSeparator>();
    options.csvUnderdigit = store.GetInt<kSoftCsvUnderdigit>();
    options.micronMode = app.Micron().active;
    options.micronFactor = app.Micron().factor;
    if (SaveBufferingFile(*data, CommandLinePath(path), csv, options, &result) != ZUL_OK) {
        return context.out.Fail(&app.Ui(), result);
    }
    std::lock_guard lock(data->mutex);
    context.out.Result({{"file", JsonString(path)},
                        {"out1_values", JsonNumber(data->HeldCount(0))},
                        {"out2_values", JsonNumber(data->HeldCount(1))}},
                       {{"file", path},
                        {"out1_values", std::to_string(data->HeldCount(0))},
                        {"out2_values", std::to_string(data->HeldCount(1))}});
    return 0;
}

int RunBuffer(CtlContext& context, const CommandArgs& args) {
    const std::string& action = args.positional[0];
    if (action == "start") {
        return RunStart(context, args.Has("--wait"));
    }
    if (action == "stop") {
        ResultInfo result;
        if (StopBuffering(*context.app.CommControler(), &result) != ZUL_OK) {
            return context.out.Fail(&context.app.Ui(), result);
        }
        context.out.Notice("buffering stopped");
        return 0;
    }
    if (action == "state") {
        return RunState(context);
    }
    if (action == "read") {
        if (args.values.count("-o") == 0) {
            return UsageFailure("buffer read needs -o FILE.bfd|FILE.csv");
        }
        return RunRead(context, args.Value("-o"));
    }
    return UsageFailure("buffer needs start, stop, state or read");
}

}  // namespace

std::vector<CtlCommand> BufferCommands() {
    return {
        {"buffer",
         "start [--wait]|stop|state|read -o FILE",
         "buffering of the current bank: start, stop, state, read into FILE.bfd|FILE.csv",
         {"-o"},
         {"--wait"},
         {},
         1,
         1,
         true,
         RunBuffer},
    };
}

}  // namespace zul::ctl
