// Entry point of towerhost, the headless host that runs a tower of theaters on the Theater module.
#include "WbTowerHost.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv)
{
#if defined(_WIN32)
    // The summaries and messages end their lines as everywhere else, so that the same run prints the same bytes.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    return WbTowerHost(stdout, stderr).Run(argc, argv);
}
