// Warnings for a tower that is valid but surely not meant: a theater whose film cannot be shown on the run's
// first day stays dark for good, since the module stops a film it finds unshowable.
#pragma once

#include <string>
#include <vector>

class WbHostTower;

// One line per theater whose film is not showable on the tower's current day, naming the theater, the film
// and the day it would have become showable.
std::vector<std::string> WbFilmWarnings(const WbHostTower& tower);
