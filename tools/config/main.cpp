// lumarokub-config: the configuration keys of a current u-blox receiver from
// the command line, for scripts and test rigs.
#include <iostream>

#include "LumarokVersion.h"
#include "tools/config/ConfigOptions.h"
#include "tools/config/ConfigRunner.h"

int main(int argc, char** argv) {
    ConfigOptions options;
    std::string error;
    if (!ParseConfigOptions(argc, argv, options, error)) {
        std::cerr << "lumarokub-config: " << error << '\n' << ConfigUsage;
        return ConfigExitCannotUse;
    }
    if (options.Help) {
        std::cout << ConfigUsage;
        return 0;
    }
    if (options.Version) {
        std::cout << "lumarokub-config " LUMAROKUB_VERSION "\n";
        return 0;
    }
    return RunConfig(options, std::cout, std::cerr);
}
