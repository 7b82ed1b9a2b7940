// People of the stand-in tower; the document pools them, so they carry nothing to free.
#include "WbPeople.h"

WbMatter::~WbMatter() = default;

WbPeople::~WbPeople() = default;
