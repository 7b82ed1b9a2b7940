// The save file's byte stream: values stored little-endian, and reads past the end made harmless.
#include "WbArchive.h"

WbArchive::WbArchive(std::vector<uint8_t>& storeInto) : mStore(&storeInto), mStoreStart(storeInto.size()) {}

WbArchive::WbArchive(std::span<const uint8_t> loadFrom) : mLoad(loadFrom) {}

size_t WbArchive::GetPosition() const { return mStore ? mStore->size() - mStoreStart : mReadPos; }

WbArchive& WbArchive::operator<<(int8_t value)
{
    Put(uint32_t(uint8_t(value)), 1);
    return *this;
}

WbArchive& WbArchive::operator<<(uint8_t value)
{
    Put(value, 1);
    return *this;
}

WbArchive& WbArchive::operator<<(int32_t value)
{
    Put(uint32_t(value), 4);
    return *this;
}

WbArchive& WbArchive::operator<<(uint32_t value)
{
    Put(value, 4);
    return *this;
}

WbArchive& WbArchive::operator>>(int8_t& value)
{
    value = int8_t(uint8_t(Take(1)));
    return *this;
}

WbArchive& WbArchive::operator>>(uint8_t& value)
{
    value = uint8_t(Take(1));
    return *this;
}

WbArchive& WbArchive::operator>>(int32_t& value)
{
    value = int32_t(Take(4));
    return *this;
}

WbArchive& WbArchive::operator>>(uint32_t& value)
{
    value = Take(4);
    return *this;
}

void WbArchive::Put(uint32_t value, int byteCount)
{
    if (!mStore) {
        mFailed = true;
        return;
    }
    for (int i = 0; i < byteCount; ++i)
        mStore->push_back(uint8_t(value >> (8 * i)));
}

// A value that is not wholly there reads as 0 and consumes nothing, so that a failed archive stays put
// at the last whole value.
uint32_t WbArchive::Take(int byteCount)
{
    if (mStore || GetRemaining() < size_t(byteCount)) {
        mFailed = true;
        return 0;
    }
    uint32_t value = 0;
    for (int i = 0; i < byteCount; ++i)
        value |= uint32_t(mLoad[mReadPos + size_t(i)]) << (8 * i);
    mReadPos += size_t(byteCount);
    return value;
}
