// The save file's byte stream: little-endian values, with an error state instead of reading past the end.
#pragma once

#include "WbDll.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class WBDLL_API WbArchive {
public:
    // An archive that stores into bytes (appending).
    explicit WbArchive(std::vector<uint8_t>& storeInto);
    // An archive that loads from bytes; the bytes must outlive it.
    explicit WbArchive(std::span<const uint8_t> loadFrom);

    bool IsStoring() const { return mStore != nullptr; }
    bool IsLoading() const { return mStore == nullptr; }
    // Set once a read wanted more bytes than were left (the value read is then 0) or a write met a
    // loading archive; it stays set.
    bool IsFailed() const { return mFailed; }
    // Bytes read so far (loading) or written so far (storing).
    size_t GetPosition() const;
    size_t GetRemaining() const { return mLoad.size() - mReadPos; }

    WbArchive& operator<<(int8_t value);
    WbArchive& operator<<(uint8_t value);
    WbArchive& operator<<(int32_t value);
    WbArchive& operator<<(uint32_t value);
    WbArchive& operator>>(int8_t& value);
    WbArchive& operator>>(uint8_t& value);
    WbArchive& operator>>(int32_t& value);
    WbArchive& operator>>(uint32_t& value);

private:
    void Put(uint32_t value, int byteCount);
    uint32_t Take(int byteCount);

    std::vector<uint8_t>* mStore = nullptr;
    size_t mStoreStart = 0;
    std::span<const uint8_t> mLoad;
    size_t mReadPos = 0;
    bool mFailed = false;
};
