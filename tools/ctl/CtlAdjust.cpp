// SPDX-License-Identifier: GPL-3.0-or-later
// scale, calibrate and floodlight: the adjustment forms' operations from the command line.
#include <chrono>

#include "CtlAcqSupport.h"
#include "CtlCommand.h"
#include "adjust/AdjustSequences.h"
#include "adjust/FloodLightSearch.h"
#include "app/Application.h"
#include "link/ControllerInfo.h"
#include "link/Event.h"
#include "link/ThreadCommControler.h"

namespace zul::ctl {

namespace {

// One poll's round trip is bounded by the reply time-out; the search itself by the controller.
constexpr std::chrono::seconds kPollLimit(60);
constexpr std::chrono::milliseconds kTick(100);

std::optional<int32_t> HeadOf(const std::string& text) {
    if (text == "A" || text == "a") {
        return 0;
    }
    if (text == "B" || text == "b") {
        return 1;
    }
    return std::nullopt;
}

// The four point values; false (after a usage message) when one is not a number.
bool ReadPoints(const CommandArgs& args, AdjustPoints& points) {
    std::optional<double> v[4];
    for (size_t i = 0; i < 4; ++i) {
        v[i] = ParseReal(args.positional[i]);
        if (!v[i]) {
            UsageFailure("not a number: " + args.positional[i]);
            return false;
        }
    }
    points.measure1 = v[0];
    points.second1 = v[1];
    points.measure2 = v[2];
    points.second2 = v[3];
    return true;
}

int CheckBank(CtlContext& context) {
    ResultInfo result;
    if (CheckMemoryMatch(*context.app.CommControler(), &result,
                         context.app.ControllerStateFromStore()) != ZUL_OK) {
        return context.out.Fail(&context.app.Ui(), result);
    }
    return 0;
}

int Apply(CtlContext& context, AdjustKind kind, int32_t index, const AdjustPoints& points) {
    Application& app = context.app;
    ResultInfo result;
    // The program ends right after: the cancel of a failed apply is waited for.
    if (ApplyAdjustment(*app.CommControler(), app.Store(), app.Ui(), kind, index, points, &result,
                        true) != ZUL_OK) {
        return context.out.Fail(&app.Ui(), result);
    }
    StoreAdjustPoints(app.Store(), kind, index, points);
    context.out.Notice(kind == AdjustKind::kScaling ? "scaling applied" : "calibration applied");
    return 0;
}

int RunScale(CtlContext& context, const CommandArgs& args) {
    auto out = ParseInteger(args.Value("--out"), 1, 2);
    if (!out) {
        return UsageFailure("--out needs 1 or 2");
    }
    AdjustPoints points;
    if (!ReadPoints(args, points)) {
        return kExitUsage;
    }
    if (int status = CheckBank(context)) {
        return status;
    }
    return Apply(context, AdjustKind::kScaling, static_cast<int32_t>(*out - 1), points);
}

int RunCalibrate(CtlContext& context, const CommandArgs& args) {
    auto head = HeadOf(args.Value("--head"));
    if (!head) {
        return UsageFailure("--head needs A or B");
    }
    AdjustPoints points;
    if (!ReadPoints(args, points)) {
        return kExitUsage;
    }
    if (int status = CheckBank(context)) {
        return status;
    }
    ResultInfo result;
    if (OpenCalibration(*context.app.CommControler(), *head, &result) != ZUL_OK) {
        return context.out.Fail(&context.app.Ui(), result);
    }
    return Apply(context, AdjustKind::kCalibration, *head, points);
}

int RunFloodLight(CtlContext& context, const CommandArgs& args) {
    auto head = HeadOf(args.Value("--head"));
    if (!head) {
        return UsageFailure("--head needs A or B");
    }
    if (int status = CheckBank(context)) {
        return status;
    }
    Application& app = context.app;
    Mailbox<CommRequest> polls;
    FloodLightSearch search(
        *app.CommControler(), app.Store(), *head,
        [&polls](std::unique_ptr<CommRequest> poll) { polls.Put(std::move(poll)); });
    if (search.Start() != ZUL_OK) {
        return context.out.Fail(&app.Ui(), search.Result());
    }
    // The 100 ms ticks of the form's timer; a poll's completion is waited for when one is out.
    Event tick;
    while (!search.Ended()) {
        if (search.State() == FloodLightState::kPolling) {
            auto poll = polls.Wait(kPollLimit);
            if (!poll) {
                search.Close();
                break;
            }
            search.OnPollDone(std::move(poll));
            continue;
        }
        tick.WaitFor(kTick);
        search.Tick();
    }
    if (search.HasValue()) {
        context.out.Result(
            {{"head", JsonString(*head == 0 ? "A" : "B")},
             {"flood_light", JsonNumber(search.Value())}},
            {{"head", *head == 0 ? "A" : "B"}, {"flood_light", std::to_string(search.Value())}});
    }
    if (search.Result().code != ZUL_OK) {
        return context.out.Fail(&app.Ui(), search.Result());
    }
    return 0;
}

}  // namespace

std::vector<CtlCommand> AdjustCommands() {
    return {
        {"scale",
         "--out 1|2 MV1 V1 MV2 V2",
         "analog scaling of an output",
         {"--out"},
         {},
         {"--out"},
         4,
         4,
         true,
         RunScale},
        {"calibrate",
         "--head A|B MV1 CV1 MV2 CV2",
         "calibration of a head",
         {"--head"},
         {},
         {"--head"},
         4,
         4,
         true,
         RunCalibrate},
        {"floodlight",
         "--head A|B",
         "run the flood-light search and print the result",
         {"--head"},
         {},
         {"--head"},
         0,
         0,
         true,
         RunFloodLight},
    };
}

}  // namespace zul::ctl
