// Value conversions shared by the filter parser and the filter program: text to numbers, dates
// and times (the program's fixed locale conventions), the engine's day numbers and date-times,
// packed decimals and SQL time stamps. Pure functions; thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace db {

constexpr int64_t kMsPerDay = 86400000;

// Day number of a calendar date: 1 January of year 1 is day 1. Returns false for an invalid
// date (year 1..9999).
bool EncodeDayNumber(int year, int month, int day, int32_t& dayNumber);
void DecodeDayNumber(int32_t dayNumber, int& year, int& month, int& day);

// Text conversions. They accept leading and trailing blanks like the framework's StrToXxx and
// return false when the text is not a value of that kind.
bool TextToInteger(std::string_view text, int64_t& value);
bool TextToFloat(std::string_view text, char decimalSeparator, double& value);
bool TextToBoolean(std::string_view text, char decimalSeparator, bool& value);
// Dates are month/day/year or year-month-day; times are h:mm[:ss[.zzz]] with an optional
// AM/PM suffix. A date-time is a date, optionally followed by a blank and a time.
bool TextToDate(std::string_view text, int32_t& dayNumber);
bool TextToTime(std::string_view text, int32_t& msOfDay);
bool TextToDateTime(std::string_view text, double& msSinceOrigin);

// Packed decimal, 18 bytes:
// OFFSET SIZE  MEANING
//    0    1    precision (number of digits held)
//    1    1    bit 7 sign (1 = negative), bits 0-5 digits after the decimal point
//    2   16    the digits, two per byte, high nibble first, most significant first
constexpr size_t kBcdSize = 18;
constexpr int kBcdMaxDigits = 32;
// `precision` 0 takes the number of digits the text needs. False when the text is no number or
// needs more than kBcdMaxDigits digits.
bool TextToBcd(std::string_view text, char decimalSeparator, int precision, uint8_t out[kBcdSize]);
// Reads a packed decimal of `size` bytes (a record field may be shorter or longer than 18).
double BcdToDouble(const uint8_t* bcd, size_t size);

// SQL time stamp, 16 bytes:
// OFFSET SIZE  MEANING
//    0    2    year (signed)
//    2    2    month 1..12
//    4    2    day 1..31
//    6    2    hour
//    8    2    minute
//   10    2    second
//   12    4    fractions (milliseconds)
constexpr size_t kTimeStampSize = 16;
void MsToTimeStamp(double msSinceOrigin, uint8_t out[kTimeStampSize]);
double TimeStampToMs(const uint8_t in[kTimeStampSize]);

// Returns `format` with its first "%s" replaced by `arg`.
std::string FormatMessage1(std::string_view format, std::string_view arg);

}  // namespace db
