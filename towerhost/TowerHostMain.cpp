// Entry point of towerhost, the headless host that runs a tower of theaters on the Theater module.
#include "WbTowerHost.h"

int main(int argc, char** argv) { return WbTowerHost(stdout, stderr).Run(argc, argv); }
