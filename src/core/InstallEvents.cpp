#include "core/InstallEvents.h"

const char* InstallEventName(int32_t code)
{
    switch (code) {
    case DL_CODE_START: return "DL_CODE_START";
    case DL_CODE_PROGRESS: return "DL_CODE_PROGRESS";
    case DL_CODE_SUCCESS: return "DL_CODE_SUCCESS";
    case DL_CODE_FAIL: return "DL_CODE_FAIL";
    case DL_CODE_RETRY: return "DL_CODE_RETRY";
    case DL_CODE_MD5: return "DL_CODE_MD5";
    case IST_CODE_START: return "IST_CODE_START";
    case IST_CODE_PROGRESS: return "IST_CODE_PROGRESS";
    case INSTALL_SUCCESS: return "INSTALL_SUCCESS";
    case IST_CODE_FAIL: return "IST_CODE_FAIL";
    case IST_CODE_INSTPATH: return "IST_CODE_INSTPATH";
    case IST_CODE_EXEPATH: return "IST_CODE_EXEPATH";
    case IST_CODE_UNINSTEXE: return "IST_CODE_UNINSTEXE";
    case IST_CODE_UNINSTEP: return "IST_CODE_UNINSTEP";
    case IST_CODE_STARTURL: return "IST_CODE_STARTURL";
    case IST_CODE_STARTUPSTYLE: return "IST_CODE_STARTUPSTYLE";
    case IST_CODE_TOPSHOW: return "IST_CODE_TOPSHOW";
    case IST_CODE_FINISHCLOSE: return "IST_CODE_FINISHCLOSE";
    case IST_CODE_MESSAGE: return "IST_CODE_MESSAGE";
    case UNIST_CODE_START: return "UNIST_CODE_START";
    case UNIST_CODE_PROGRESS: return "UNIST_CODE_PROGRESS";
    case UNIST_CODE_SUCCESS: return "UNIST_CODE_SUCCESS";
    case UNIST_CODE_FAIL: return "UNIST_CODE_FAIL";
    case UNIST_CODE_ERROR: return "UNIST_CODE_ERROR";
    default: return "UNKNOWN";
    }
}
