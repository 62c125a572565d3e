// SPDX-License-Identifier: GPL-3.0-or-later
// measure: live measurement cycles, printed as the measurement window shows them.
#include <chrono>

#include "CtlAcqSupport.h"
#include "CtlCommand.h"
#include "app/Application.h"
#include "link/Event.h"
#include "measurement/FormatMeasuredValue.h"

namespace zul::ctl {

namespace {

// A cycle never takes longer than thirteen reply time-outs; this bounds the wait generously.
constexpr std::chrono::seconds kCycleLimit(200);

void PrintCycle(CtlContext& context) {
    SettingsStore& store = context.app.Store();
    auto lock = store.Lock();
    int32_t bank = store.GetInt<kCtrlCurMemNo>();
    std::vector<std::pair<std::string, std::string>> plain;
    for (int out = 0; out < 2; ++out) {
        std::string name = "out" + std::to_string(out + 1);
        int32_t digits = store.GetInt<kOutDispDigit>(bank, out);
        const MicronMode& micron = context.app.Micron();
        std::string line =
            FormatMeasuredValue(store.GetDouble<kMeasMeasureValue>(out), digits, micron);
        line += " hi=" + std::to_string(store.GetInt<kMeasHiState>(out));
        line += " go=" + std::to_string(store.GetInt<kMeasGoState>(out));
        line += " low=" + std::to_string(store.GetInt<kMeasLowState>(out));
        line += " alarm=" + std::to_string(store.GetInt<kMeasAlarmState>(out));
        line += " strobe=" + std::to_string(store.GetInt<kMeasStrobe>(out));
        line += " zero_set=" + std::to_string(store.GetInt<kMeasZeroSet>(out)) + " (" +
                FormatMeasuredValue(store.GetDouble<kMeasZeroSetVal>(out), digits, micron) + ")";
        line += " timing=" + std::to_string(store.GetInt<kMeasTiming>(out));
        line += " reset=" + std::to_string(store.GetInt<kMeasReset>(out));
        line += " alarm_code=" + std::to_string(store.GetInt<kMeasAlarmCode>(out));
        plain.emplace_back(name, line);
    }
    for (int head = 0; head < 2; ++head) {
        int32_t laserOff = store.GetInt<kHeadLaserOff>(bank, head);
        std::string name = head == 0 ? "headA" : "headB";
        plain.emplace_back(name, "laser_off=" + std::to_string(laserOff));
    }
    context.out.Result(MeasureJson(store), plain);
}

int RunMeasure(CtlContext& context, const CommandArgs& args) {
    int64_t count = 1;
    int64_t interval = 0;
    if (args.values.count("--count") != 0) {
        auto parsed = ParseInteger(args.Value("--count"), 1, 1000000000);
        if (!parsed) {
            return UsageFailure("--count needs a number from 1");
        }
        count = *parsed;
    }
    if (args.values.count("--interval") != 0) {
        auto parsed = ParseInteger(args.Value("--interval"), 0, 86400000);
        if (!parsed) {
            return UsageFailure("--interval needs milliseconds");
        }
        interval = *parsed;
    }
    CThreadMeasurement& thread = *context.app.Measurement();
    Mailbox<MeasurementCycleRequest> mailbox;
    auto next = std::chrono::steady_clock::now();
    for (int64_t cycle = 0; cycle < count; ++cycle) {
        if (cycle > 0 && interval > 0) {
            // Paces the cycles; the cycles themselves wait only on their replies.
            next += std::chrono::milliseconds(interval);
            auto left = next - std::chrono::steady_clock::now();
            if (left > std::chrono::steady_clock::duration::zero()) {
                Event pace;
                pace.WaitFor(std::chrono::duration_cast<std::chrono::milliseconds>(left));
            }
        }
        auto request = std::make_unique<MeasurementCycleRequest>();
        request->onDone = [&mailbox](int64_t, std::unique_ptr<MeasurementCycleRequest> done) {
            mailbox.Put(std::move(done));
        };
        thread.StartMeasurementCycle(std::move(request));
        auto done = mailbox.Wait(kCycleLimit);
        if (!done) {
            thread.CancelMeasurementCycle();
            ResultInfo result;
            SetResult(&result, ZUL_ERR_COMM_TIMEOUT);
            return context.out.Fail(&context.app.Ui(), result);
        }
        if (done->result.code != ZUL_OK) {
            return context.out.Fail(&context.app.Ui(), done->result);
        }
        PrintCycle(context);
    }
    return 0;
}

}  // namespace

std::vector<CtlCommand> MeasureCommands() {
    return {
        {"measure",
         "[--count N] [--interval MS]",
         "N measurement cycles (default 1)",
         {"--count", "--interval"},
         {},
         {},
         0,
         0,
         true,
         RunMeasure},
    };
}

}  // namespace zul::ctl
