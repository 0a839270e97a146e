#pragma once
// Safe formatter for the printf-like patterns of the system: %s, %d, %.Nd and %%.
// User text (a where clause) passes through it, so it never reaches the C library's
// printf; any other directive, a missing argument or a type mismatch raises FormatError.
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

class FormatError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class FormatArg {
  public:
    FormatArg(std::string_view s) : text_(s), isText_(true) {}
    FormatArg(const std::string& s) : text_(s), isText_(true) {}
    FormatArg(const char* s) : text_(s), isText_(true) {}
    FormatArg(int v) : number_(v) {}
    FormatArg(long v) : number_(v) {}
    FormatArg(long long v) : number_(v) {}
    FormatArg(unsigned v) : number_(v) {}
    // Sizes and counts; values above the signed 64-bit range do not occur here.
    FormatArg(unsigned long v) : number_(static_cast<long long>(v)) {}
    FormatArg(unsigned long long v) : number_(static_cast<long long>(v)) {}

    bool IsText() const { return isText_; }
    std::string_view Text() const { return text_; }
    long long Number() const { return number_; }

  private:
    std::string_view text_;
    long long number_ = 0;
    bool isText_ = false;
};

using FormatArgs = std::initializer_list<FormatArg>;

// Appends the formatted text to out. Extra arguments are ignored.
void FormatAppend(std::string& out, std::string_view pattern, FormatArgs args);
std::string Format(std::string_view pattern, FormatArgs args);
