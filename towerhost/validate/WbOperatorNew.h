// A program that watches its memory replaces operator new and delete; WbOperatorNew.cpp defines every
// replaceable form on top of the two functions below, which the program defines.
#pragma once

#include <cstddef>
#include <new>

// Memory for one allocation of size bytes at the alignment, or null when it is refused. Called once for each
// allocation of any form: a plain new throws on null, a nothrow new gives it.
void* WbProgramAllocate(std::size_t size, std::align_val_t alignment) noexcept;
// Gives back memory WbProgramAllocate gave, or does nothing for null.
void WbProgramRelease(void* block) noexcept;

// The C library's memory for the request: malloc, or aligned_alloc for an alignment above malloc's (the size
// then rounded up to a multiple of it). Never null for a size of 0.
void* WbSystemAllocate(std::size_t size, std::align_val_t alignment) noexcept;
