// Collects install events from worker threads and lets a test wait for them.
#pragma once

#include "core/InstallEvents.h"

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

struct Event {
    int32_t code;
    double value;
    std::wstring text;
    bool operator==(const Event& other) const
    {
        return code == other.code && value == other.value && text == other.text;
    }
};

inline std::ostream& operator<<(std::ostream& os, const Event& e)
{
    os << "{" << e.code << ", " << e.value << ", \"";
    for (wchar_t c : e.text) {
        if (c >= 32 && c < 127) os << static_cast<char>(c);
        else os << "\\u" << std::hex << static_cast<unsigned>(c) << std::dec;
    }
    return os << "\"}";
}

class EventRecorder {
public:
    // Runs in the sender's thread for every event before it is stored.
    std::function<void(const Event&)> onEvent;

    InstallCallback Callback()
    {
        return [this](int32_t code, double value, const std::wstring& text) {
            Event e{code, value, text};
            if (onEvent) onEvent(e);
            std::lock_guard<std::mutex> lock(m_Mutex);
            m_Events.push_back(e);
            m_Changed.notify_all();
        };
    }

    // True once an event with one of `codes` has arrived (within `seconds`).
    bool WaitFor(std::initializer_list<int32_t> codes, int seconds = 60)
    {
        std::vector<int32_t> wanted(codes);
        std::unique_lock<std::mutex> lock(m_Mutex);
        return m_Changed.wait_for(lock, std::chrono::seconds(seconds), [&] {
            for (const Event& e : m_Events)
                for (int32_t code : wanted)
                    if (e.code == code) return true;
            return false;
        });
    }

    std::vector<Event> Events()
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_Events;
    }

    std::vector<int32_t> Codes()
    {
        std::vector<int32_t> codes;
        for (const Event& e : Events()) codes.push_back(e.code);
        return codes;
    }

    void Clear()
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Events.clear();
    }

private:
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::vector<Event> m_Events;
};

