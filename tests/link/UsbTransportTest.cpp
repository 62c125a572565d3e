// SPDX-License-Identifier: GPL-3.0-or-later
// The USB transport and the device list against the fake libftdi, loaded through the same
// dlopen path as the real library.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <future>

#include "LinkTestSupport.h"
#include "link/Commands.h"
#include "link/Frame.h"
#include "link/FtdiLibrary.h"
#include "link/LinkMessages.h"
#include "link/RequestBuilders.h"
#include "link/ThreadCommControler.h"
#include "link/ThreadRawComm.h"
#include "link/TraceEscape.h"
#include "link/UsbDevices.h"
#include "link/UsbTransport.h"

namespace zul {
namespace {

using namespace std::chrono_literals;

// The fake library's control functions.
struct FakeFtdi {
    void* handle = dlopen(QVM8_FAKE_FTDI_PATH, RTLD_NOW | RTLD_LOCAL);
    template <class Fn>
    Fn* Get(const char* name) {
        return reinterpret_cast<Fn*>(dlsym(handle, name));
    }
    ~FakeFtdi() { dlclose(handle); }

    void Reset() { Get<void()>("fake_ftdi_reset")(); }
    void Add(const char* description, const char* serial, bool stringsFail = false) {
        Get<void(const char*, const char*, int)>("fake_ftdi_add_device")(description, serial,
                                                                         stringsFail ? 1 : 0);
    }
    void PushRx(const std::string& bytes) {
        Get<void(const char*, int)>("fake_ftdi_push_rx")(bytes.data(),
                                                         static_cast<int>(bytes.size()));
    }
    std::string TakeTx(size_t want, int timeoutMs = 2000) {
        std::string out(want, '\0');
        int n = Get<int(char*, int, int)>("fake_ftdi_take_tx")(out.data(), static_cast<int>(want),
                                                               timeoutMs);
        out.resize(static_cast<size_t>(n));
        return out;
    }
    void Unplug() { Get<void()>("fake_ftdi_unplug")(); }
    void SetMaxWrite(int n) { Get<void(int)>("fake_ftdi_set_max_write")(n); }
    void SetWriteFails(bool fails) { Get<void(int)>("fake_ftdi_set_write_fails")(fails ? 1 : 0); }
    int WaitWriteCalls(int count) {
        return Get<int(int, int)>("fake_ftdi_wait_write_calls")(count, 2000);
    }
    int WriteCalls() { return Get<int()>("fake_ftdi_write_calls")(); }
    int OpenDevice() { return Get<int()>("fake_ftdi_open_device")(); }
    int Config(int which) { return Get<int(int)>("fake_ftdi_config")(which); }
};

class UsbTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(fake_.handle, nullptr) << dlerror();
        ASSERT_TRUE(library_.Loaded());
        fake_.Reset();
    }
    test::TempHome home_;
    FakeFtdi fake_;
    FtdiLibrary library_{QVM8_FAKE_FTDI_PATH};
};

class EventSink {
public:
    TransportCallback Callback() {
        return [this](std::unique_ptr<TransportEvent> e) {
            std::lock_guard lock(mutex_);
            events_.push_back(std::move(e));
            cv_.notify_all();
        };
    }
    std::unique_ptr<TransportEvent> Take(TransportEventKind kind, std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        std::unique_ptr<TransportEvent> found;
        cv_.wait_for(lock, limit, [&] {
            for (auto it = events_.begin(); it != events_.end(); ++it) {
                if ((*it)->kind == kind) {
                    found = std::move(*it);
                    events_.erase(it);
                    return true;
                }
            }
            return false;
        });
        return found;
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<std::unique_ptr<TransportEvent>> events_;
};

TEST_F(UsbTest, EnumerationOffersOnlyExactDescriptions) {
    fake_.Add("ORTA QV-M8", "FT12AB");
    fake_.Add("ORTA QV-M8X", "S2");
    fake_.Add("orta qv-m8", "S3");
    fake_.Add("ORTA QV-M8", "");
    fake_.Add("ORTA QV-M8", "BROKEN", true);  // its strings cannot be read
    fake_.Add("Other bridge", "S4");
    EXPECT_EQ(EnumerateUsbDevices(library_),
              (std::vector<std::string>{"ORTA QV-M8 (FT12AB)", "ORTA QV-M8"}));
    std::vector<UsbDeviceEntry> entries = ListUsbDevices(library_);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].serialNumber, "FT12AB");
    EXPECT_EQ(entries[1].serialNumber, "");
}

TEST_F(UsbTest, SerialNumberOfAnIdentificationText) {
    EXPECT_EQ(UsbSerialOfIdentification("ORTA QV-M8 (FT12AB)"), "FT12AB");
    EXPECT_EQ(UsbSerialOfIdentification("ORTA QV-M8 (a(b)"), "b");
    EXPECT_EQ(UsbSerialOfIdentification("ORTA QV-M8 ()"), "");
    EXPECT_EQ(UsbSerialOfIdentification("ORTA QV-M8"), "");
    EXPECT_EQ(UsbSerialOfIdentification("NoUSB"), "");
    EXPECT_EQ(UsbSerialOfIdentification("x)"), "");
}

TEST_F(UsbTest, MissingLibraryMeansNoDevicesAndOpenFails) {
    FtdiLibrary missing(home_.Path() + "/libftdi-not-here.so");
    EXPECT_FALSE(missing.Loaded());
    EXPECT_TRUE(EnumerateUsbDevices(missing).empty());
    UsbTransport transport(&missing);
    EventSink sink;
    ResultInfo result;
    EXPECT_EQ(transport.Open(&result, "ORTA QV-M8 (FT12AB)", "bench unit", sink.Callback()),
              ZUL_ERR_FT_USB_OPEN);
    EXPECT_EQ(result.detail1, "ORTA QV-M8 (FT12AB)");
    EXPECT_EQ(result.detail2, "bench unit");
    EXPECT_FALSE(transport.IsOpen());
}

TEST_F(UsbTest, OpensBySerialOrByDescription) {
    fake_.Add("ORTA QV-M8 ()", "");
    fake_.Add("ORTA QV-M8", "OTHER");
    fake_.Add("ORTA QV-M8", "FT12AB");
    struct Case {
        const char* text;
        int32_t code;
        int device;
    };
    for (const Case& c : {Case{"ORTA QV-M8 (FT12AB)", ZUL_OK, 2}, Case{"ORTA QV-M8", ZUL_OK, 1},
                          Case{"ORTA QV-M8 ()", ZUL_OK, 0},  // nothing between: a description
                          Case{"NoUSB", ZUL_ERR_FT_USB_OPEN, -1},
                          Case{"ORTA QV-M8 (NOPE)", ZUL_ERR_FT_USB_OPEN, -1}}) {
        UsbTransport transport(&library_);
        EventSink sink;
        ResultInfo result;
        EXPECT_EQ(transport.Open(&result, c.text, "", sink.Callback()), c.code) << c.text;
        EXPECT_EQ(fake_.OpenDevice(), c.device) << c.text;
        EXPECT_EQ(transport.IsOpen(), c.code == ZUL_OK);
        if (c.code != ZUL_OK) {
            EXPECT_EQ(result.detail1, c.text);
        }
        transport.Close();
        EXPECT_EQ(fake_.OpenDevice(), -1);
    }
}

TEST_F(UsbTest, LineSettingsEventCharacterAndLatency) {
    fake_.Add("ORTA QV-M8", "FT12AB");
    UsbTransport transport(&library_);
    EventSink sink;
    ResultInfo result;
    ASSERT_EQ(transport.Open(&result, "ORTA QV-M8 (FT12AB)", "", sink.Callback()), ZUL_OK);
    EXPECT_EQ(fake_.Config(0), 921600);
    EXPECT_EQ(fake_.Config(1), 8);  // data bits
    EXPECT_EQ(fake_.Config(2), 0);  // one stop bit
    EXPECT_EQ(fake_.Config(3), 0);  // no parity
    EXPECT_EQ(fake_.Config(4), 0);  // no flow control
    EXPECT_EQ(fake_.Config(5), 1);  // DTR
    EXPECT_EQ(fake_.Config(6), 1);  // RTS
    EXPECT_EQ(fake_.Config(7), '\r');
    EXPECT_EQ(fake_.Config(8), 1);
    EXPECT_EQ(fake_.Config(9), 2);  // latency timer, ms
}

TEST_F(UsbTest, UnplugIsOneDeviceErrorAndWritesFailAfterwards) {
    fake_.Add("ORTA QV-M8", "FT12AB");
    UsbTransport transport(&library_);
    EventSink sink;
    ResultInfo result;
    ASSERT_EQ(transport.Open(&result, "ORTA QV-M8 (FT12AB)", "", sink.Callback()), ZUL_OK);
    fake_.PushRx("%EE$");
    auto activity = sink.Take(TransportEventKind::kActivity, 2s);
    ASSERT_TRUE(activity);
    transport.HandleEvent(std::move(activity));
    auto received = sink.Take(TransportEventKind::kReceived, 2s);
    ASSERT_TRUE(received);
    EXPECT_EQ(received->data, "%EE$");

    fake_.Unplug();
    auto error = sink.Take(TransportEventKind::kDeviceError, 2s);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, ZUL_ERR_USB_DEVICE);
    EXPECT_FALSE(sink.Take(TransportEventKind::kDeviceError, 250ms));

    auto write = std::make_unique<TransportEvent>();
    write->data = "%EE#RMC06A\r";
    write->length = 11;
    transport.Write(std::move(write));
    auto refused = sink.Take(TransportEventKind::kWriteFinished, 1s);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->code, ZUL_ERR_USB_SEND);
}

class UsbLinkTest : public UsbTest {
protected:
    void SetUp() override {
        UsbTest::SetUp();
        fake_.Add("ORTA QV-M8", "FT12AB");
        settings_.Update([](LinkSettings& s) {
            s.communicationType = kCommunicationUsb;
            s.usbConnect = "ORTA QV-M8 (FT12AB)";
            s.usbDeviceNames = {"ORTA QV-M8 (FT12AB)"};
            s.usbAliases = {"line 3"};
            s.rs232cBCC = 1;
            s.rs232cTimeout = 0;
            s.logEnableFlag = 1;
        });
        raw_ = std::make_unique<CThreadRawComm>(settings_, environment_, &window_, &library_);
        raw_->SetTraceSink([this](std::string_view line) { trace_.Add(line); });
        controller_ = std::make_unique<CThreadCommControler>(*raw_, settings_, environment_);
        ASSERT_TRUE(raw_->Start());
        ASSERT_TRUE(controller_->Start());
    }
    void TearDown() override {
        controller_->SetStopping();
        controller_->Stop();
        raw_->SetStopping();
        raw_->Stop();
    }

    test::FixedLinkSettings settings_;
    LinkEnvironment environment_;
    test::RecordingWindow window_;
    test::TraceLines trace_;
    std::unique_ptr<CThreadRawComm> raw_;
    std::unique_ptr<CThreadCommControler> controller_;
};

TEST_F(UsbLinkTest, ShortWritesAreContinuedAndReportedOnce) {
    ResultInfo result;
    ASSERT_EQ(controller_->Connect(&result), ZUL_OK);
    fake_.SetMaxWrite(4);
    const std::string frame = Terminate(AppendBcc("%EE#WMC000003"));
    auto reader = std::async(std::launch::async, [&] {
        std::string got = fake_.TakeTx(frame.size());
        fake_.PushRx(test::ReplyFrame("%EE$WMC"));
        return got;
    });
    EXPECT_EQ(WriteWord(*controller_, &result, cmd::kWriteCurrentMemory, 0, 3), ZUL_OK);
    EXPECT_EQ(reader.get(), frame);
    EXPECT_EQ(fake_.WriteCalls(), static_cast<int>((frame.size() + 3) / 4));
    std::vector<std::string> lines = trace_.WaitFor(2, 2s);
    ASSERT_GE(lines.size(), 1u);
    EXPECT_EQ(lines[0], "US, SND,   16, " + EscapeTraceBytes(frame));
}

TEST_F(UsbLinkTest, ShortWriteEndsTheLinkRecordOnceWithSuccess) {
    ResultInfo result;
    ASSERT_EQ(controller_->Connect(&result), ZUL_OK);
    fake_.SetMaxWrite(3);
    std::atomic<int> firstCalls{0};
    std::atomic<int32_t> firstCode{-1};
    std::promise<void> secondDone;
    auto first = std::make_unique<LinkRecord>();
    first->text = "%EE#RDD0000000019";  // a 20-byte frame with its BCC and CR
    first->onSent = [&](std::unique_ptr<LinkRecord> r) {
        firstCode.store(r->code);
        ++firstCalls;
    };
    auto second = std::make_unique<LinkRecord>();
    second->text = "%EE#RMC0";
    second->onSent = [&](std::unique_ptr<LinkRecord>) { secondDone.set_value(); };
    // The first is transmitted before the second replaces the pending slot.
    ASSERT_TRUE(raw_->SubmitLink(std::move(first)));
    EXPECT_EQ(fake_.TakeTx(20), Terminate(AppendBcc("%EE#RDD0000000019")));
    ASSERT_TRUE(raw_->SubmitLink(std::move(second)));
    ASSERT_EQ(secondDone.get_future().wait_for(2s), std::future_status::ready);
    EXPECT_EQ(firstCalls.load(), 1);
    EXPECT_EQ(firstCode.load(), ZUL_OK);
    EXPECT_EQ(fake_.TakeTx(11), Terminate(AppendBcc("%EE#RMC0")));
}

TEST_F(UsbLinkTest, RefusedWriteOutsideReconnectModeEndsTheRequest) {
    ResultInfo result;
    ASSERT_EQ(controller_->Connect(&result), ZUL_OK);
    fake_.SetWriteFails(true);
    EXPECT_EQ(WriteWord(*controller_, &result, cmd::kWriteCurrentMemory, 0, 3),
              ZUL_ERR_FT_USB_SEND);
    EXPECT_EQ(result.osError, -1);
}

TEST_F(UsbLinkTest, RefusedWriteInReconnectModeIsResentAfterReconnecting) {
    environment_.SetReconnectMode(1);
    environment_.SetReconnectSettings(1, 50);
    ResultInfo result;
    ASSERT_EQ(controller_->Connect(&result), ZUL_OK);
    fake_.SetWriteFails(true);
    const std::string frame = Terminate(AppendBcc("%EE#RMC0"));
    auto caller = std::async(std::launch::async, [&] {
        ResultInfo r;
        int32_t value = -1;
        ReadWord(*controller_, &r, cmd::kReadCurrentMemory, 0, &value);
        return std::make_pair(r.code, value);
    });
    // Let a few transmissions fail, then let the bridge take bytes again.
    EXPECT_GE(fake_.WaitWriteCalls(2), 2);
    fake_.SetWriteFails(false);
    EXPECT_EQ(fake_.TakeTx(frame.size()), frame);
    fake_.PushRx(test::ReplyFrame("%EE$RMC00006"));
    ASSERT_EQ(caller.wait_for(3s), std::future_status::ready);
    auto [code, value] = caller.get();
    EXPECT_EQ(code, ZUL_OK);
    EXPECT_EQ(value, 6);
    EXPECT_EQ(window_.Count(), 0u);
}

TEST_F(UsbLinkTest, OpenFailureCarriesTheUsersDeviceName) {
    settings_.Update([](LinkSettings& s) {
        s.usbConnect = "ORTA QV-M8 (GONE)";
        s.usbDeviceNames = {"ORTA QV-M8 (FT12AB)", "ORTA QV-M8 (GONE)"};
        s.usbAliases = {"line 3", "spare"};
    });
    ResultInfo result;
    EXPECT_EQ(controller_->Connect(&result), ZUL_ERR_FT_USB_OPEN);
    EXPECT_EQ(result.detail1, "ORTA QV-M8 (GONE)");
    EXPECT_EQ(result.detail2, "spare");
}

TEST_F(UsbLinkTest, UnplugTellsTheWindowWithTheUsbCode) {
    ResultInfo result;
    ASSERT_EQ(controller_->Connect(&result), ZUL_OK);
    fake_.Unplug();
    auto messages = window_.WaitFor(1, 2s);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, kWmLinkDeviceError);
    EXPECT_EQ(messages[0].second, ZUL_ERR_USB_DEVICE);
}

}  // namespace
}  // namespace zul
