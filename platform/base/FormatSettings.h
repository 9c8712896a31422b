// The locale settings that number and date texts follow. One process-wide
// instance with fixed defaults (texts must not vary from machine to machine),
// read at the moment a text is formatted or parsed, so a change takes effect
// at once.
#pragma once

#include <string>

namespace menvaro {

struct TFormatSettings {
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
    char DateSeparator = '-';
    char TimeSeparator = ':';
    int CurrencyDecimals = 2;
    std::string CurrencyString = "\xEF\xBF\xA5";  // fullwidth yen/yuan sign
    // Where the currency sign goes: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
    int CurrencyFormat = 0;
    // Negative amounts: 0 "($1)", 1 "-$1", 2 "$-1", 3 "$1-", 4 "(1$)", 5 "-1$",
    // 6 "1-$", 7 "1$-", 8 "-1 $", 9 "-$ 1", 10 "1 $-", 11 "$ 1-", 12 "$ -1",
    // 13 "1- $", 14 "($ 1)", 15 "(1 $)". Values outside a table count as 0.
    int NegCurrFormat = 2;
    std::string ShortDateFormat = "yyyy-m-d";
    std::string LongDateFormat = "yyyy'\xE5\xB9\xB4'm'\xE6\x9C\x88'd'\xE6\x97\xA5'";  // 年 月 日
    std::string ShortTimeFormat = "h:nn";
    std::string LongTimeFormat = "h:nn:ss";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
};

// The process's settings (the Chinese locale's defaults).
TFormatSettings& FormatSettings();

}  // namespace menvaro
