// The conversions the programs apply to INFO.DAT texts: the C library's atoi and atof, without
// their undefined behaviour on overflow and without depending on the process's locale.
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>

#include "common/info_store.h"

namespace zor {

namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Skips leading white space and reads an optional sign.
size_t SkipToNumber(std::string_view text, bool& negative) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  return i;
}

}  // namespace

int ProfileInt(std::string_view text) {
  bool negative = false;
  size_t i = SkipToNumber(text, negative);
  // Saturates like the Windows C library rather than wrapping.
  int64_t magnitude = 0;
  const int64_t limit = negative ? -static_cast<int64_t>(INT_MIN) : INT_MAX;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > limit) {
      magnitude = limit;
      while (i < text.size() && IsDigit(text[i])) ++i;
      break;
    }
  }
  return static_cast<int>(negative ? -magnitude : magnitude);
}

double ProfileReal(std::string_view text) {
  bool negative = false;
  const size_t start = SkipToNumber(text, negative);
  // Only a decimal number counts: no hexadecimal, infinity or NaN spellings.
  size_t i = start;
  size_t wholeDigits = 0;
  bool significant = false;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    if (text[i] != '0') significant = true;
    if (significant) ++wholeDigits;
  }
  size_t digits = i - start;
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && IsDigit(text[i]); ++i) ++digits;
  }
  if (digits == 0) return 0.0;
  size_t end = i;
  long exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    bool expNegative = false;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) expNegative = text[j++] == '-';
    if (j < text.size() && IsDigit(text[j])) {
      for (; j < text.size() && IsDigit(text[j]); ++j) {
        if (exponent < 100000) exponent = exponent * 10 + (text[j] - '0');
      }
      if (expNegative) exponent = -exponent;
      end = j;
    }
  }
  double value = 0.0;
  const char* first = text.data() + start;
  const auto [ptr, error] = std::from_chars(first, text.data() + end, value, std::chars_format::general);
  (void)ptr;
  if (error == std::errc::result_out_of_range) {
    // Too large becomes infinity and too small zero, as strtod gives them.
    value = static_cast<long>(wholeDigits) + exponent > 0 ? HUGE_VAL : 0.0;
  } else if (error != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

int TimeoutMinutes(std::string_view text) {
  const int number = ProfileInt(text);
  if (text.find("Mins") != std::string_view::npos) return number;
  const int64_t minutes = static_cast<int64_t>(number) * 60;
  if (minutes > INT_MAX) return INT_MAX;
  if (minutes < INT_MIN) return INT_MIN;
  return static_cast<int>(minutes);
}

}  // namespace zor
