// The framework's string class: a byte string with printf-style formatting.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

class CString final {
public:
    CString() = default;
    CString(const char* text) : mText(text ? text : "") {}
    CString(std::string text) : mText(std::move(text)) {}

    int GetLength() const { return int(mText.size()); }
    bool IsEmpty() const { return mText.empty(); }
    void Empty() { mText.clear(); }
    const char* GetString() const { return mText.c_str(); }
    operator const char*() const { return mText.c_str(); }
    const std::string& Str() const { return mText; }

    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)))
    {
        va_list args;
        va_start(args, format);
        FormatV(format, args);
        va_end(args);
    }

    CString& operator+=(const CString& more)
    {
        mText += more.mText;
        return *this;
    }
    CString& operator+=(const char* more)
    {
        mText += more ? more : "";
        return *this;
    }
    CString& operator+=(char more)
    {
        mText += more;
        return *this;
    }

    friend CString operator+(CString left, const CString& right) { return left += right; }
    friend CString operator+(CString left, const char* right) { return left += right; }
    friend CString operator+(const char* left, const CString& right) { return CString(left) += right; }
    friend bool operator==(const CString& left, const CString& right) { return left.mText == right.mText; }
    friend bool operator==(const CString& left, const char* right) { return left.mText == (right ? right : ""); }

private:
    void FormatV(const char* format, va_list args)
    {
        va_list sizing;
        va_copy(sizing, args);
        int length = std::vsnprintf(nullptr, 0, format, sizing);
        va_end(sizing);
        if (length < 0) {
            mText.clear();
            return;
        }
        mText.resize(size_t(length) + 1);
        std::vsnprintf(mText.data(), mText.size(), format, args);
        mText.resize(size_t(length));
    }

    std::string mText;
};
