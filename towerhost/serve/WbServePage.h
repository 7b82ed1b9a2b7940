// The page's files, built into the program so that serving it reads nothing from the disk.
#pragma once

#include <cstddef>
#include <string>

struct WbServeAsset {
    const char* path; // "/index.html"
    const char* contentType;
    const char* data;
    size_t size;
};

// The file served at the path, or null.
const WbServeAsset* WbFindServeAsset(const std::string& path);
