// SPDX-License-Identifier: GPL-3.0-or-later
// qvm8-assoc run as the desktop program runs it, in a scratch XDG_DATA_HOME: exit codes, the
// files it leaves, and the type the MIME database then gives a settings file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "Association.h"
#include "ScratchDesktop.h"

namespace {

using assoctest::Exists;
using assoctest::ReadFile;
using assoctest::RunResult;
using assoctest::ScratchDesktop;

const std::string kPid = std::to_string(::getpid());

std::string MimePackage(const ScratchDesktop& desktop) {
    return desktop.dataHome + "/mime/packages/qvm8-zul-assoc.xml";
}

std::string DesktopEntry(const ScratchDesktop& desktop) {
    return desktop.dataHome + "/applications/com.brantwick.qvm8zul.desktop";
}

RunResult Assoc(const ScratchDesktop& desktop, const std::vector<std::string>& arguments) {
    return desktop.Run(QVM8_ASSOC_PROGRAM, arguments);
}

// The type the MIME database gives the file, with " csv" when it is a kind of text/csv.
std::string TypeOf(const ScratchDesktop& desktop, const std::string& file) {
#ifdef QVM8_MIME_PROBE
    const RunResult probe = desktop.Run(QVM8_MIME_PROBE, {file}, assoctest::kProbeEnvironment);
    EXPECT_EQ(probe.exitCode, 0) << probe.err;
    std::string out = probe.out;
    while (!out.empty() && out.back() == '\n') {
        out.pop_back();
    }
    return out;
#else
    (void)desktop;
    (void)file;
    return {};
#endif
}

bool HaveProbe() {
#ifdef QVM8_MIME_PROBE
    return !assoctest::FindProgram("update-mime-database").empty();
#else
    return false;
#endif
}

TEST(AssocTool, RegisterInstallsTypeAndEntryAndUnregisterRemovesThem) {
    ScratchDesktop desktop;
    desktop.WriteFile("work/plant.zul", "[ZUL_APP_DATA]\nCurMemNo=0\n");
    const std::string settingsFile = desktop.Path("work/plant.zul");

    const RunResult registered = Assoc(desktop, {kPid, "/register"});
    ASSERT_EQ(registered.exitCode, 1) << registered.err;
    ASSERT_TRUE(Exists(MimePackage(desktop)));
    ASSERT_TRUE(Exists(DesktopEntry(desktop)));
    const std::string entry = ReadFile(DesktopEntry(desktop));
    EXPECT_NE(entry.find("\nMimeType=application/x-qvm8-zul;\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("qvm8-zul %f\n"), std::string::npos) << entry;
    EXPECT_NE(ReadFile(MimePackage(desktop)).find("<glob pattern=\"*.zul\"/>"), std::string::npos);
    if (HaveProbe()) {
        EXPECT_EQ(TypeOf(desktop, settingsFile), "application/x-qvm8-zul -");
    }

    const RunResult removed = Assoc(desktop, {kPid, "/unregister"});
    ASSERT_EQ(removed.exitCode, 2) << removed.err;
    EXPECT_FALSE(Exists(MimePackage(desktop)));
    EXPECT_FALSE(Exists(DesktopEntry(desktop)));
    if (HaveProbe()) {
        EXPECT_NE(TypeOf(desktop, settingsFile).rfind("application/x-qvm8-zul", 0), 0u);
    }
}

TEST(AssocTool, RegisteringTwiceAndRemovingWhatIsNotThereBothSucceed) {
    ScratchDesktop desktop;
    EXPECT_EQ(Assoc(desktop, {kPid, "/unregister"}).exitCode, 2);
    EXPECT_EQ(Assoc(desktop, {kPid, "/register"}).exitCode, 1);
    const std::string first = ReadFile(DesktopEntry(desktop));
    EXPECT_EQ(Assoc(desktop, {kPid, "/REGISTER"}).exitCode, 1);
    EXPECT_EQ(ReadFile(DesktopEntry(desktop)), first);
    EXPECT_FALSE(Exists(DesktopEntry(desktop) + ".tmp"));
}

TEST(AssocTool, WrongArgumentsAreUsageErrorsAndChangeNothing) {
    ScratchDesktop desktop;
    const std::vector<std::vector<std::string>> cases = {
        {},
        {kPid},
        {"/register"},
        {kPid, "/register", "extra"},
        {"abc", "/register"},
        {"0", "/register"},
        {"-5", "/register"},
        {"12345678901", "/register"},
        {kPid, "register"},
        {kPid, "/associate"},
    };
    for (const auto& arguments : cases) {
        const RunResult result = Assoc(desktop, arguments);
        EXPECT_EQ(result.exitCode, 64) << (arguments.empty() ? "" : arguments[0]);
        EXPECT_NE(result.err.find("usage: qvm8-assoc"), std::string::npos);
    }
    EXPECT_FALSE(Exists(desktop.dataHome));
    EXPECT_EQ(Assoc(desktop, {"--help"}).exitCode, 0);
}

TEST(AssocTool, FailuresHaveTheirOwnCodesAndLeaveNothingHalfDone) {
    ScratchDesktop desktop;
    // The data folder cannot be created below a plain file.
    desktop.WriteFile("blocker", "not a folder");
    desktop.dataHome = desktop.Path("blocker/data");
    const RunResult failed = Assoc(desktop, {kPid, "/register"});
    EXPECT_EQ(failed.exitCode, 3);
    EXPECT_NE(failed.err.find("cannot write"), std::string::npos) << failed.err;

    // The desktop entry's place is taken by a folder: the package written first is taken back.
    desktop.dataHome = desktop.Path("data");
    std::filesystem::create_directories(DesktopEntry(desktop) + "/inside");
    EXPECT_EQ(Assoc(desktop, {kPid, "/register"}).exitCode, 3);
    EXPECT_FALSE(Exists(MimePackage(desktop)));

    // ... and cannot be removed either.
    const RunResult notRemoved = Assoc(desktop, {kPid, "/unregister"});
    EXPECT_EQ(notRemoved.exitCode, 4);
    EXPECT_NE(notRemoved.err.find("cannot remove"), std::string::npos) << notRemoved.err;
}

TEST(AssocEntry, ExecArgumentsAreQuotedAsTheDesktopEntrySpecificationSays) {
    EXPECT_EQ(assoc::QuoteExecArgument("/usr/bin/qvm8-zul"), "/usr/bin/qvm8-zul");
    EXPECT_EQ(assoc::QuoteExecArgument("/opt/QV M8/qvm8-zul"), "\"/opt/QV M8/qvm8-zul\"");
    EXPECT_EQ(assoc::QuoteExecArgument("/opt/a$b"), "\"/opt/a\\\\$b\"");
    EXPECT_EQ(assoc::QuoteExecArgument("/opt/a\"b"), "\"/opt/a\\\\\"b\"");
    EXPECT_EQ(assoc::QuoteExecArgument("/opt/a\\b"), "\"/opt/a\\\\\\\\b\"");
    EXPECT_EQ(assoc::QuoteExecArgument("/opt/100%"), "/opt/100%%");
}

TEST(AssocEntry, WrittenEntryPassesTheDesktopFileValidator) {
    const std::string validator = assoctest::FindProgram("desktop-file-validate");
    if (validator.empty()) {
        GTEST_SKIP() << "desktop-file-validate is not installed";
    }
    ScratchDesktop desktop;
    assoc::AssociationPlan plan;
    plan.dataHome = desktop.dataHome;
    plan.program = "/opt/QV M8 $tools/qvm8-zul";
    plan.icon = "/opt/QV M8 $tools/image/icon.svg";
    desktop.WriteFile("check/com.brantwick.qvm8zul.desktop", assoc::DesktopEntryText(plan));
    const RunResult result =
        desktop.Run(validator, {desktop.Path("check/com.brantwick.qvm8zul.desktop")});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_EQ(result.out.find("error"), std::string::npos) << result.out;
}

}  // namespace
