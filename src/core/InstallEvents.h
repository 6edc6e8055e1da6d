// The one event channel from the download engine and the runners to the window.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

enum InstallEventCode : int32_t {
    DL_CODE_START = 1001,
    DL_CODE_PROGRESS = 1002,
    DL_CODE_SUCCESS = 1003,
    DL_CODE_FAIL = 1004,
    DL_CODE_RETRY = 1005,
    DL_CODE_MD5 = 1006,
    IST_CODE_START = 2001,
    IST_CODE_PROGRESS = 2002,
    INSTALL_SUCCESS = 2003,
    IST_CODE_FAIL = 2004,
    IST_CODE_INSTPATH = 3000,
    IST_CODE_EXEPATH = 3001,
    IST_CODE_UNINSTEXE = 3002,
    IST_CODE_UNINSTEP = 3003,
    IST_CODE_STARTURL = 3004,
    IST_CODE_STARTUPSTYLE = 3005,
    IST_CODE_TOPSHOW = 3007,
    IST_CODE_FINISHCLOSE = 3008,
    IST_CODE_MESSAGE = 3009,
    UNIST_CODE_START = 5001,
    UNIST_CODE_PROGRESS = 5002,
    UNIST_CODE_SUCCESS = 5003,
    UNIST_CODE_FAIL = 5004,
    UNIST_CODE_ERROR = 5005,
};

// (code, value, text); always called on a worker thread.
using InstallCallback = std::function<void(int32_t code, double value, const std::wstring& text)>;

// The code's name as above ("DL_CODE_PROGRESS"), or "UNKNOWN".
const char* InstallEventName(int32_t code);
