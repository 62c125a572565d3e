// SPDX-License-Identifier: GPL-3.0-or-later
// The request builders, register blocks and composite operations against a gate that plays
// the controller synchronously.
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "link/Commands.h"
#include "link/ControllerInfo.h"
#include "link/FieldCodec.h"
#include "link/Frame.h"
#include "link/RegisterBlock.h"
#include "link/RequestBuilders.h"

namespace zul {
namespace {

// Answers each request with the frame text the handler gives (matched as the controller
// thread matches it), or with a result code when the handler gives one.
class ScriptedGate : public CommGate {
public:
    struct Answer {
        int32_t code = ZUL_OK;
        std::string frame;  // reply frame text (without BCC/CR)
    };
    using Handler = std::function<Answer(const CommRequest&)>;

    explicit ScriptedGate(Handler handler) : handler_(std::move(handler)) {}

    std::unique_ptr<CommRequest> SubmitAndWait(std::unique_ptr<CommRequest> request) override {
        commands.push_back(request->command);
        echoModes.push_back(request->echoMode);
        EXPECT_EQ(request->commandCursor, static_cast<int32_t>(request->command.size()));
        Answer answer = handler_(*request);
        if (answer.code != ZUL_OK) {
            request->result.code = answer.code;
            return request;
        }
        MatchResult match = MatchReply(request->command, request->echoMode, answer.frame);
        EXPECT_NE(match.kind, ReplyMatch::kNotReply) << answer.frame;
        if (match.kind == ReplyMatch::kError) {
            request->result.code = ZUL_ERR_COMM_RES;
            request->result.osError = match.errorCode;
            request->reply = answer.frame;
        } else {
            request->reply = match.text;
        }
        return request;
    }
    void Submit(std::unique_ptr<CommRequest> request) override {
        posted.push_back(request->command);
        EXPECT_FALSE(request->onDone);
        EXPECT_EQ(request->doneEvent, nullptr);
    }
    void CancelRequest(const CommRequest*) override {}

    std::vector<std::string> commands;
    std::vector<int32_t> echoModes;
    std::vector<std::string> posted;

private:
    Handler handler_;
};

ScriptedGate::Answer Reply(std::string frame) {
    return {ZUL_OK, std::move(frame)};
}

TEST(WordBuilders, ReadWordSendsTargetAndReadsFiveDigits) {
    ScriptedGate gate([](const CommRequest&) { return Reply("%EE$RMC00003"); });
    ResultInfo result;
    int32_t value = -1;
    EXPECT_EQ(ReadWord(gate, &result, cmd::kReadCurrentMemory, 0, &value), ZUL_OK);
    EXPECT_EQ(value, 3);
    ASSERT_EQ(gate.commands.size(), 1u);
    EXPECT_EQ(gate.commands[0], "%EE#RMC0");
    EXPECT_EQ(gate.echoModes[0], 0);
}

// A reply with a valid frame but data that is not exactly the field: no data, two characters
// short, one too many, a letter or a blank where a digit belongs, a sign where none belongs.
TEST(WordBuilders, MalformedReplyFailsWithTheReplyInDetail2) {
    for (const char* text : {"%EE$RMC", "%EE$RMC003", "%EE$RMC000031", "%EE$RMC0A003",
                             "%EE$RMC 0003", "%EE$RMC+0003", "%EE$RMC0000x"}) {
        ScriptedGate gate([&](const CommRequest&) { return Reply(text); });
        int32_t value = -1;
        ResultInfo result;
        EXPECT_EQ(ReadWord(gate, &result, cmd::kReadCurrentMemory, 0, &value), ZUL_ERR_COMM_RES)
            << text;
        EXPECT_EQ(value, 0) << text;
        EXPECT_EQ(result.code, ZUL_ERR_COMM_RES);
        EXPECT_EQ(result.osError, 0);
        EXPECT_EQ(result.detail1, "%EE#RMC0");
        EXPECT_EQ(result.detail2, text);
    }
}

TEST(WordBuilders, LongAndRealMalformedRepliesFail) {
    for (const char* text : {"%EE$RTL", "%EE$RTL-00000000", "%EE$RTL-00000000421",
                             "%EE$RTL-00000A0042", "%EE$RTL00000000042", "%EE$RTL+9999999999"}) {
        ScriptedGate gate([&](const CommRequest&) { return Reply(text); });
        int32_t value = 1;
        ResultInfo result;
        EXPECT_EQ(ReadLong(gate, &result, cmd::kReadTriggerDelay, 5, &value), ZUL_ERR_COMM_RES)
            << text;
        EXPECT_EQ(value, 0) << text;
        EXPECT_EQ(result.detail2, text);
    }
    for (const char* text :
         {"%EE$RMD", "%EE$RMD+012.3456", "%EE$RMD+012.3456789", "%EE$RMD+012.34x678",
          "%EE$RMD+01.2.34567", "%EE$RMD+1.2345e+01", "%EE$RMD+nan0000000", "%EE$RMD +12.345678"}) {
        ScriptedGate gate([&](const CommRequest&) { return Reply(text); });
        double real = 1.0;
        ResultInfo result;
        EXPECT_EQ(ReadReal(gate, &result, cmd::kReadMeasuredValue, 3, &real), ZUL_ERR_COMM_RES)
            << text;
        EXPECT_EQ(real, 0.0) << text;
        EXPECT_EQ(result.detail1, "%EE#RMD3");
        EXPECT_EQ(result.detail2, text);
    }
}

TEST(WordBuilders, LongReplyDetailIsShortenedAndEscaped) {
    std::string text = "%EE$RMC" + std::string(200, '7');
    text[8] = '\x01';
    ScriptedGate gate([&](const CommRequest&) { return Reply(text); });
    ResultInfo result;
    EXPECT_EQ(ReadWord(gate, &result, cmd::kReadCurrentMemory, 0, nullptr), ZUL_ERR_COMM_RES);
    EXPECT_EQ(result.detail2.rfind("%EE$RMC7\\x017", 0), 0u) << result.detail2;
    EXPECT_NE(result.detail2.find("(207 characters)"), std::string::npos) << result.detail2;
    EXPECT_LT(result.detail2.size(), 140u);
}

TEST(WordBuilders, FailureCopiesTheRequestOutcomeAndClearsTheValue) {
    ScriptedGate gate([](const CommRequest&) { return Reply("%EE!22"); });
    ResultInfo result;
    int32_t value = -1;
    EXPECT_EQ(ReadWord(gate, &result, cmd::kReadBufferingState, 1, &value), ZUL_ERR_COMM_RES);
    EXPECT_EQ(result.code, ZUL_ERR_COMM_RES);
    EXPECT_EQ(result.osError, 22);
    EXPECT_EQ(value, 0);

    ScriptedGate silent([](const CommRequest&) {
        return ScriptedGate::Answer{ZUL_ERR_COMM_TIMEOUT, {}};
    });
    double real = 9.0;
    EXPECT_EQ(ReadReal(silent, &result, cmd::kReadMeasuredValue, 3, &real), ZUL_ERR_COMM_TIMEOUT);
    EXPECT_EQ(real, 0.0);
    EXPECT_EQ(result.code, ZUL_ERR_COMM_TIMEOUT);
}

TEST(WordBuilders, WritersEncodeTheirFields) {
    ScriptedGate gate([](const CommRequest& r) { return Reply("%EE$" + r.command.substr(4, 3)); });
    ResultInfo result;
    EXPECT_EQ(WriteWord(gate, &result, cmd::kWriteCurrentMemory, 13, 123456), ZUL_OK);
    EXPECT_EQ(WriteLong(gate, &result, cmd::kWriteTriggerDelay, 3, -5), ZUL_OK);
    EXPECT_EQ(WriteLong(gate, &result, cmd::kWriteTriggerDelay, 4, 7), ZUL_OK);
    EXPECT_EQ(WriteReal(gate, &result, cmd::kWriteAnalogHigh, 3, 1.5), ZUL_OK);
    EXPECT_EQ(WriteReal(gate, &result, cmd::kWriteCalibrationA, 4, -0.25), ZUL_OK);
    EXPECT_EQ(gate.commands, (std::vector<std::string>{
                                 "%EE#WMC323456",
                                 "%EE#WTL3-0000000005",
                                 "%EE#WTL4+0000000007",
                                 "%EE#WAH3+001.500000",
                                 "%EE#WCA4-000.250000",
                             }));
}

TEST(WordBuilders, LongAndRealReadersTakeExactlyEighteenCharacters) {
    std::deque<std::string> replies = {"%EE$RTL-0000000042", "%EE$RTL+2147483647",
                                       "%EE$RMD+012.345678", "%EE$RMD-000.250000"};
    ScriptedGate gate([&](const CommRequest&) {
        std::string r = replies.front();
        replies.pop_front();
        return Reply(r);
    });
    ResultInfo result;
    int32_t value = 1;
    EXPECT_EQ(ReadLong(gate, &result, cmd::kReadTriggerDelay, 3, &value), ZUL_OK);
    EXPECT_EQ(value, -42);
    EXPECT_EQ(ReadLong(gate, &result, cmd::kReadTriggerDelay, 3, &value), ZUL_OK);
    EXPECT_EQ(value, INT32_MAX);
    double real = 1.0;
    EXPECT_EQ(ReadReal(gate, &result, cmd::kReadMeasuredValue, 3, &real), ZUL_OK);
    EXPECT_DOUBLE_EQ(real, 12.345678);
    EXPECT_EQ(ReadReal(gate, &result, cmd::kReadMeasuredValue, 3, &real), ZUL_OK);
    EXPECT_DOUBLE_EQ(real, -0.25);
}

TEST(WordBuilders, PostWordIsFireAndForget) {
    ScriptedGate gate([](const CommRequest&) { return Reply("%EE$WBS"); });
    PostWord(gate, cmd::kWriteBufferingState, 0, 1);
    EXPECT_TRUE(gate.commands.empty());
    EXPECT_EQ(gate.posted, (std::vector<std::string>{"%EE#WBS000001"}));
}

TEST(RegisterBlockJob, AddKeepsAddressOrderAndSlotsOfAddition) {
    RegisterBlock job;
    job.AddRegister(20);
    job.AddRegister(10);
    job.AddRegister(15);
    EXPECT_EQ(job.Addresses(), (std::vector<uint32_t>{10, 15, 20}));
    EXPECT_EQ(job.SetRegisterValue(20, 7), 0u);  // added first
    EXPECT_EQ(job.SetRegisterValue(10, 8), 1u);
    EXPECT_EQ(job.SetRegisterValue(15, 9), 2u);
    EXPECT_EQ(job.SetRegisterValue(99, 1), 3u);  // not there: the count
    EXPECT_EQ(job.RegisterValue(20), 7);
    EXPECT_EQ(job.RegisterValue(10), 8);
    RegisterBlock empty;
    EXPECT_EQ(empty.SetRegisterValue(1, 1), 0u);
}

TEST(RegisterBlockJob, WriteFrameOfTheWorkedExample) {
    RegisterBlock job;
    job.AddRegister(2620);
    job.AddRegister(2619);
    job.SetRegisterValue(2619, 1);
    job.SetRegisterValue(2620, 258);
    ScriptedGate gate([](const CommRequest&) { return Reply("%EE$WD"); });
    ResultInfo result;
    EXPECT_EQ(RunRegisterBlock(job, gate, &result, false), ZUL_OK);
    EXPECT_EQ(gate.commands, (std::vector<std::string>{"%EE#WDD026190262001000201"}));
    EXPECT_EQ(gate.echoModes, (std::vector<int32_t>{1}));
}

TEST(RegisterBlockJob, GapsSplitReadFramesAndRepliesFillSlots) {
    RegisterBlock job;
    for (uint32_t a : {12u, 10u, 20u, 11u}) {
        job.AddRegister(a);
    }
    ScriptedGate gate([](const CommRequest& r) {
        if (r.command == "%EE#RDD0001000012") {
            return Reply("%EE$RD" + FormatHexWord(0x0A0B) + FormatHexWord(11) + FormatHexWord(12));
        }
        return Reply("%EE$RD" + FormatHexWord(0xFFFF));
    });
    std::vector<std::pair<size_t, size_t>> progress;
    ResultInfo result;
    EXPECT_EQ(job.Run(gate, &result, true, nullptr,
                      [&](size_t done, size_t total) { progress.emplace_back(done, total); }),
              ZUL_OK);
    EXPECT_EQ(gate.commands, (std::vector<std::string>{"%EE#RDD0001000012", "%EE#RDD0002000020"}));
    EXPECT_EQ(job.RegisterValue(10), 0x0A0B);
    EXPECT_EQ(job.RegisterValue(11), 11);
    EXPECT_EQ(job.RegisterValue(12), 12);
    EXPECT_EQ(job.RegisterValue(20), 0xFFFF);
    EXPECT_EQ(progress, (std::vector<std::pair<size_t, size_t>>{{0, 4}, {3, 4}, {4, 4}}));
}

TEST(RegisterBlockJob, WriteFramesHoldAtMost123RegistersAnd512Bytes) {
    RegisterBlock job;
    for (uint32_t a = 0; a < 124; ++a) {
        job.AddRegister(1000 + a);
        job.SetRegisterValue(1000 + a, static_cast<uint16_t>(a));
    }
    ScriptedGate gate([](const CommRequest&) { return Reply("%EE$WD"); });
    ResultInfo result;
    EXPECT_EQ(job.Run(gate, &result, false), ZUL_OK);
    ASSERT_EQ(gate.commands.size(), 2u);
    EXPECT_EQ(Terminate(AppendBcc(gate.commands[0])).size(), kMaxRequestFrame);
    EXPECT_EQ(gate.commands[0].substr(0, 17), "%EE#WDD0100001122");
    EXPECT_EQ(gate.commands[0].substr(17 + 4 * 122), FormatHexWord(122));
    EXPECT_EQ(gate.commands[1], "%EE#WDD01123011237B00");
}

TEST(RegisterBlockJob, ReadFramesHoldAtMost8122Registers) {
    RegisterBlock job;
    for (uint32_t a = 0; a < 8123; ++a) {
        job.AddRegister(a);
    }
    std::string frame;
    ASSERT_TRUE(job.BuildNextFrame(frame));
    EXPECT_EQ(frame, "%EE#RDD0000008121");
    ScriptedGate gate([](const CommRequest& r) {
        int32_t cursor = 7;
        int32_t first = ReadDecimal(r.command, cursor, 5);
        int32_t last = ReadDecimal(r.command, cursor, 5);
        std::string reply = "%EE$RD";
        for (int32_t a = first; a <= last; ++a) {
            reply += FormatHexWord(static_cast<uint32_t>(a));
        }
        EXPECT_LT(reply.size() + 3, 32500u);
        return Reply(reply);
    });
    ResultInfo result;
    EXPECT_EQ(job.Run(gate, &result, true), ZUL_OK);
    EXPECT_EQ(gate.commands, (std::vector<std::string>{"%EE#RDD0000008121", "%EE#RDD0812208122"}));
    EXPECT_EQ(job.RegisterValue(8121), 8121);
    EXPECT_EQ(job.RegisterValue(8122), 8122);
}

TEST(RegisterBlockJob, StopsAtTheFirstFailingFrame) {
    RegisterBlock job;
    for (uint32_t a : {1u, 2u, 5u, 9u}) {
        job.AddRegister(a);
    }
    int calls = 0;
    ScriptedGate gate([&](const CommRequest&) {
        ++calls;
        if (calls == 2) {
            return ScriptedGate::Answer{ZUL_ERR_COMM_TIMEOUT, {}};
        }
        return Reply("%EE$RD" + FormatHexWord(0x1111) + FormatHexWord(0x2222));
    });
    ResultInfo result;
    EXPECT_EQ(job.Run(gate, &result, true), ZUL_ERR_COMM_TIMEOUT);
    EXPECT_EQ(result.code, ZUL_ERR_COMM_TIMEOUT);
    EXPECT_EQ(gate.commands.size(), 2u);
    EXPECT_EQ(job.RegisterValue(1), 0x1111);  // earlier frames keep their values
    EXPECT_EQ(job.RegisterValue(5), 0);
    EXPECT_EQ(job.RegisterValue(9), 0);
}

// A read reply with a valid frame but words that do not decode stops the run; the words of the
// bad frame are not stored (earlier frames keep theirs).
TEST(RegisterBlockJob, MalformedReadReplyFailsAndStoresNothingOfItsFrame) {
    const std::string good = "%EE$RD" + FormatHexWord(0x1111) + FormatHexWord(0x2222);
    for (std::string bad : {std::string("%EE$RD"), "%EE$RD" + FormatHexWord(0x3333) + "44",
                            "%EE$RD" + FormatHexWord(0x3333) + FormatHexWord(0x4444) + "55",
                            std::string("%EE$RD3333G444"), std::string("%EE$RD3333 444"),
                            std::string("%EE$RD3333+444"), std::string("%EE$RD0x334444")}) {
        RegisterBlock job;
        for (uint32_t a : {1u, 2u, 5u, 6u}) {
            job.AddRegister(a);
        }
        ScriptedGate gate([&](const CommRequest& r) {
            return Reply(r.command == "%EE#RDD0000100002" ? good : bad);
        });
        ResultInfo result;
        EXPECT_EQ(job.Run(gate, &result, true), ZUL_ERR_COMM_RES) << bad;
        EXPECT_EQ(result.detail1, "%EE#RDD0000500006");
        EXPECT_EQ(result.detail2, bad);  // as the controller sent it
        EXPECT_EQ(job.RegisterValue(1), 0x1111);
        EXPECT_EQ(job.RegisterValue(2), 0x2222);
        EXPECT_EQ(job.RegisterValue(5), 0) << bad;
        EXPECT_EQ(job.RegisterValue(6), 0) << bad;
    }
}

TEST(RegisterBlockJob, AbortFlagEndsBeforeTheNextFrame) {
    RegisterBlock job;
    for (uint32_t a : {1u, 5u, 9u}) {
        job.AddRegister(a);
    }
    std::atomic<int32_t> abort{0};
    ScriptedGate gate([&](const CommRequest&) {
        abort.store(1);  // set by "another thread" while the first frame runs
        return Reply("%EE$WD");
    });
    ResultInfo result;
    EXPECT_EQ(job.Run(gate, &result, false, &abort), ZUL_ERR_ABORT);
    EXPECT_EQ(result.code, ZUL_ERR_ABORT);
    EXPECT_EQ(gate.commands.size(), 1u);
}

std::string WordsOfText(std::string_view text, size_t registers) {
    std::string padded(text);
    padded.resize(registers * 2, ' ');
    std::string words;
    for (size_t i = 0; i < registers; ++i) {
        uint32_t high = static_cast<unsigned char>(padded[2 * i]);
        uint32_t low = static_cast<unsigned char>(padded[2 * i + 1]);
        words += FormatHexWord(high * 256 + low);
    }
    return words;
}

TEST(ControllerInfoRead, TwoFramesAndTrimmedTexts) {
    ScriptedGate gate([](const CommRequest& r) {
        if (r.command == "%EE#RDD0011800124") {
            return Reply("%EE$RD" + WordsOfText(" QV-M8A\t", 6) + FormatHexWord(0x0123));
        }
        if (r.command == "%EE#RDD0015200167") {
            return Reply("%EE$RD" + WordsOfText("  HEAD-10", 8) + WordsOfText("HEAD-20", 8));
        }
        return ScriptedGate::Answer{ZUL_ERR_COMM_TIMEOUT, {}};
    });
    ResultInfo result;
    ControllerInfo info;
    EXPECT_EQ(ReadControllerInfo(gate, &result, &info), ZUL_OK);
    EXPECT_EQ(gate.commands.size(), 2u);
    EXPECT_EQ(info.name, "QV-M8A");
    EXPECT_EQ(info.version, 0x0123);
    EXPECT_EQ(info.versionText, "1.23");
    EXPECT_EQ(info.text3, "HEAD-10");
    EXPECT_EQ(info.text4, "HEAD-20");
}

TEST(ControllerInfoRead, FailureLeavesOutputsCleared) {
    ScriptedGate gate([](const CommRequest&) { return ScriptedGate::Answer{ZUL_ERR_OFFLINE, {}}; });
    ResultInfo result;
    ControllerInfo info;
    info.name = "old";
    EXPECT_EQ(ReadControllerInfo(gate, &result, &info), ZUL_ERR_OFFLINE);
    EXPECT_TRUE(info.name.empty());
    EXPECT_EQ(info.version, 0);
}

// The identity read of a controller that answers with malformed words: no name, no version
// 0.00 and no success.
TEST(ControllerInfoRead, MalformedWordsFailWithNoIdentity) {
    const std::string name = WordsOfText("QV-M8A", 6) + FormatHexWord(0x0123);
    const std::string texts = WordsOfText("HEAD-10", 8) + WordsOfText("HEAD-20", 8);
    for (int variant = 0; variant < 4; ++variant) {
        ScriptedGate gate([&](const CommRequest& r) {
            std::string first = name;
            std::string second = texts;
            if (variant == 0) {
                first.clear();  // no data at all
            } else if (variant == 1) {
                first.resize(first.size() - 2);  // two characters short
            } else if (variant == 2) {
                second[5] = 'Z';  // a letter where a hex digit belongs
            } else {
                second += "00";  // two characters too many
            }
            return Reply("%EE$RD" + (r.command == "%EE#RDD0011800124" ? first : second));
        });
        ResultInfo result;
        ControllerInfo info;
        info.name = "old";
        EXPECT_EQ(ReadControllerInfo(gate, &result, &info), ZUL_ERR_COMM_RES) << variant;
        EXPECT_TRUE(info.name.empty());
        EXPECT_TRUE(info.versionText.empty());
        EXPECT_EQ(info.version, 0);
        EXPECT_EQ(result.detail1.substr(0, 7), "%EE#RDD");
        EXPECT_EQ(result.detail2.substr(0, 6), "%EE$RD");
    }
}

// Hex words that decode but do not give text: a control character in a name is a damaged
// reply, not a name. Characters after the terminating zero byte are not looked at.
TEST(ControllerInfoRead, ControlCharactersInTheTextsFail) {
    for (int variant = 0; variant < 3; ++variant) {
        ScriptedGate gate([&](const CommRequest& r) {
            std::string name = "QV-M8A";
            std::string text4 = "HEAD-20";
            if (variant == 0) {
                name[2] = '\x01';
            } else if (variant == 1) {
                text4[0] = '\x7F';
            } else {
                name = std::string("QV-M8A") + '\0' + '\x02';  // after the end: ignored
            }
            if (r.command == "%EE#RDD0011800124") {
                return Reply("%EE$RD" + WordsOfText(name, 6) + FormatHexWord(0x0123));
            }
            return Reply("%EE$RD" + WordsOfText("HEAD\t10", 8) + WordsOfText(text4, 8));
        });
        ResultInfo result;
        ControllerInfo info;
        int32_t code = ReadControllerInfo(gate, &result, &info);
        if (variant == 2) {
            EXPECT_EQ(code, ZUL_OK);
            EXPECT_EQ(info.name, "QV-M8A");
            EXPECT_EQ(info.text3, "HEAD\t10");
            continue;
        }
        EXPECT_EQ(code, ZUL_ERR_COMM_RES) << variant;
        EXPECT_TRUE(info.name.empty());
        EXPECT_EQ(info.version, 0);
        const std::string expected = variant == 0 ? "%EE#RDD0011800124" : "%EE#RDD0015200167";
        EXPECT_EQ(result.detail1, expected);
        EXPECT_EQ(result.detail2.substr(0, 6), "%EE$RD");
        EXPECT_EQ(result.detail2.size(), variant == 0 ? 6u + 4 * 7 : 6u + 4 * 16);
    }
}

class FakeControllerState : public ControllerStateSource {
public:
    int32_t lineState = 1;
    int32_t curMemNo = 2;
    int32_t LineState() override { return lineState; }
    int32_t CurMemNo() override { return curMemNo; }
    std::string MemAlias(int32_t bank) override { return "bank" + std::to_string(bank); }
};

TEST(MemoryMatch, ComparesWithTheControllersBank) {
    FakeControllerState state;
    std::string reply = "%EE$RMC00002";
    ScriptedGate gate([&](const CommRequest&) { return Reply(reply); });
    ResultInfo result;
    EXPECT_EQ(CheckMemoryMatch(gate, &result, state), ZUL_OK);
    reply = "%EE$RMC00005";
    EXPECT_EQ(CheckMemoryMatch(gate, &result, state), ZUL_ERR_CUR_MEM_NO_MATCH);
    EXPECT_EQ(result.detail1, "2 bank2");
    EXPECT_EQ(result.detail2, "5 bank5");
    EXPECT_EQ(gate.commands.back(), "%EE#RMC0");

    state.lineState = 0;  // offline: nothing is asked
    size_t asked = gate.commands.size();
    EXPECT_EQ(CheckMemoryMatch(gate, &result, state), ZUL_OK);
    EXPECT_EQ(gate.commands.size(), asked);
}

TEST(MemoryMatch, ABankWithoutAnAliasIsNamedByItsNumberAlone) {
    class NoAliases : public FakeControllerState {
    public:
        std::string MemAlias(int32_t bank) override { return bank == 5 ? "Line B" : ""; }
    } state;
    ScriptedGate gate([&](const CommRequest&) { return Reply("%EE$RMC00005"); });
    ResultInfo result;
    EXPECT_EQ(CheckMemoryMatch(gate, &result, state), ZUL_ERR_CUR_MEM_NO_MATCH);
    EXPECT_EQ(result.detail1, "2");
    EXPECT_EQ(result.detail2, "5 Line B");
}

TEST(CommandCatalogue, ItemTableEndsWithMinusOne) {
    EXPECT_EQ(std::size(cmd::kItemCommands), 9u);
    EXPECT_EQ(cmd::kItemCommands[0].itemId, 104);
    EXPECT_EQ(cmd::kItemCommands[0].read, "%EE#RYU");
    EXPECT_EQ(cmd::kItemCommands[7].write, "%EE#WSE");
    EXPECT_EQ(cmd::kItemCommands[8].itemId, -1);
}

}  // namespace
}  // namespace zul
