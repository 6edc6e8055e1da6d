// What the package runner and uninstall runner tests share: tables of output chunks with
// the events they must give, and runs against protocol_child.exe following a script.
#pragma once

#include "install/EventRecorder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

struct ParseCase {
    const char* name;
    std::wstring chunk;
    std::vector<Event> events;
    int result;
};

// Parses every chunk with a fresh runner made by `make` and checks events and result.
template <class Runner>
void ExpectParses(const std::vector<ParseCase>& cases,
                  const std::function<std::unique_ptr<Runner>(InstallCallback)>& make)
{
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.name);
        EventRecorder recorder;
        std::unique_ptr<Runner> runner = make(recorder.Callback());
        EXPECT_EQ(runner->Parse(c.chunk), c.result);
        EXPECT_EQ(recorder.Events(), c.events);
    }
}

inline std::wstring ChildPath()
{
    return TestFiles::HostPath(LUMENO_BINARY_DIR "/tests/install/protocol_child.exe");
}

// Runs a runner against protocol_child.exe with a script (see ProtocolChild.cpp).
class ScriptedChildTest : public testing::Test {
protected:
    void TearDown() override
    {
        SetEnvironmentVariableW(L"LUMENO_CHILD_SCRIPT", nullptr);
        SetEnvironmentVariableW(L"LUMENO_CHILD_ARGS", nullptr);
        SetEnvironmentVariableW(L"LUMENO_CHILD_GO", nullptr);
    }

    // Starts the runner made by `make`, waits for one of `ending`, then destroys the
    // runner (which waits for its worker, so late events are in too). `inspect` sees the
    // runner before it goes.
    template <class Runner>
    std::vector<Event> RunScripted(const char* script, std::initializer_list<int32_t> ending,
                                   const std::function<std::unique_ptr<Runner>(InstallCallback)>& make,
                                   const std::function<void(Runner&)>& inspect = nullptr)
    {
        SetEnvironmentVariableA("LUMENO_CHILD_SCRIPT", script);
        // The child's "wait" step ends once the runner has passed on a "sync" text.
        std::string goName = "LumenoChildGo" + std::to_string(GetCurrentProcessId());
        HANDLE go = CreateEventA(nullptr, TRUE, FALSE, goName.c_str());
        SetEnvironmentVariableA("LUMENO_CHILD_GO", goName.c_str());
        EventRecorder recorder;
        recorder.onEvent = [go](const Event& e) {
            if (e.text == L"sync") SetEvent(go);
        };
        std::unique_ptr<Runner> runner = make(recorder.Callback());
        runner->Start();
        EXPECT_TRUE(recorder.WaitFor(ending, 60));
        if (inspect) inspect(*runner);
        runner.reset();
        CloseHandle(go);
        return recorder.Events();
    }
};
