// Export and import of the host library's classes and functions across the module boundary.
#pragma once

#if defined(_WIN32)
#if defined(WBDLL_BUILD)
#define WBDLL_API __declspec(dllexport)
#else
#define WBDLL_API __declspec(dllimport)
#endif
#else
#define WBDLL_API __attribute__((visibility("default")))
#endif
