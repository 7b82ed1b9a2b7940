// Saving the running tower and loading a saved one in its place.
#pragma once

#include <string>

class WbHostRun;

namespace WbTowerStore {

// Writes the running tower to the file; throws WbTowerFileError naming the file.
void Save(const WbHostRun& run, const std::string& path);
// Reads the file into a new tower and, only when all of it was read, puts that tower and its films'
// states in place of the running ones. Throws WbTowerFileError naming the file, leaving the run as it was.
void Load(WbHostRun& run, const std::string& path);

} // namespace WbTowerStore
