#include "core/InstallerConfig.h"

InstallerConfig& Config()
{
    static InstallerConfig config;
    return config;
}
