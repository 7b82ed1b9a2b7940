// The outcome of reading a resource: the value read, or one line saying where and why it was refused.
#pragma once

#include <optional>
#include <string>
#include <utility>

template <typename T> class WbParsed {
public:
    WbParsed(T value) : mValue(std::move(value)) {}
    static WbParsed Failure(std::string message)
    {
        WbParsed parsed;
        parsed.mError = std::move(message);
        return parsed;
    }

    explicit operator bool() const { return mValue.has_value(); }
    T& operator*() { return *mValue; }
    const T& operator*() const { return *mValue; }
    T* operator->() { return &*mValue; }
    const T* operator->() const { return &*mValue; }
    // Empty for a value; otherwise the resource, the field, the value and the limit it broke.
    const std::string& GetError() const { return mError; }

private:
    WbParsed() = default;
    std::optional<T> mValue;
    std::string mError;
};
