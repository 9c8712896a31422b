#include "base/DateTime.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>
#include <sys/time.h>

#include "base/Exceptions.h"
#include "base/FormatSettings.h"

namespace menvaro {

TFormatSettings& FormatSettings() {
    static TFormatSettings settings;
    return settings;
}

namespace {

// Days from 1899-12-30 to 1970-01-01.
constexpr long kUnixOffset = 25569;

// Days since 1970-01-01 of a proleptic Gregorian date.
long DaysFromCivil(long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

void CivilFromDays(long z, int& y, int& m, int& d) {
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long yy = static_cast<long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

// Whole days and milliseconds of the day, as the class library splits a value:
// the day is truncated toward zero, the time is the absolute fraction.
void Split(TDateTime dt, long& days, long& ms) {
    // Beyond 0001-01-01 .. 9999-12-31 (or not a number) there is no date to tell.
    if (!(dt > -693594.0 && dt < 2958466.0)) throw EConvertError("Invalid date-time value");
    days = static_cast<long>(std::trunc(dt));
    ms = static_cast<long>(std::llround(std::fabs(dt - static_cast<double>(days)) * 86400000.0));
    if (ms >= 86400000) ms = 86399999;
}

const char* const kShortMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kLongMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};
const char* const kShortDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kLongDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

// Appends `v` with at least `width` digits (zeros in front), as "%0*d" does,
// without the format machinery: a data set formats a date of every row.
void AppendPadded(std::string& out, int v, int width) {
    char buf[16];
    if (v < 0) {
        std::snprintf(buf, sizeof buf, "%0*d", width, v);
        out += buf;
        return;
    }
    char* end = buf + sizeof buf;
    char* p = end;
    do {
        *--p = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v > 0);
    while (end - p < width && p > buf) *--p = '0';
    out.append(p, end);
}

bool StartsNoCase(std::string_view s, std::size_t i, std::string_view w) {
    if (i + w.size() > s.size()) return false;
    for (std::size_t k = 0; k < w.size(); ++k) {
        char c = s[i + k];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != w[k]) return false;
    }
    return true;
}

void FormatInto(std::string& out, std::string_view f, TDateTime dt, int depth);

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    result = static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
                                 kUnixOffset);
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime r;
    if (!TryEncodeDate(year, month, day, r)) throw EConvertError("Invalid argument to date encode");
    return r;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
        millisecond > 999)
        throw EConvertError("Invalid argument to time encode");
    return (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond) / 86400000.0;
}

void DecodeDate(TDateTime dt, int& year, int& month, int& day) {
    long days, ms;
    Split(dt, days, ms);
    CivilFromDays(days - kUnixOffset, year, month, day);
}

void DecodeTime(TDateTime dt, int& hour, int& minute, int& second, int& millisecond) {
    long days, ms;
    Split(dt, days, ms);
    hour = static_cast<int>(ms / 3600000);
    minute = static_cast<int>(ms / 60000 % 60);
    second = static_cast<int>(ms / 1000 % 60);
    millisecond = static_cast<int>(ms % 1000);
}

TDateTime Now() {
    timeval tv;
    gettimeofday(&tv, nullptr);
    struct tm lt;
    localtime_r(&tv.tv_sec, &lt);
    return EncodeDate(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday) +
           EncodeTime(lt.tm_hour, lt.tm_min, lt.tm_sec > 59 ? 59 : lt.tm_sec, static_cast<int>(tv.tv_usec / 1000));
}

TDateTime Date() { return std::trunc(Now()); }

TDateTime Time() {
    const TDateTime n = Now();
    return n - std::trunc(n);
}

TDateTime IncDay(TDateTime dt, int days) { return dt + days; }

TDateTime DateOf(TDateTime dt) { return std::trunc(dt); }
TDateTime TimeOf(TDateTime dt) { return std::fabs(dt - std::trunc(dt)); }
TDateTime ComposeDateTime(TDateTime date, TDateTime time) {
    const TDateTime day = std::trunc(date), fraction = TimeOf(time);
    return day < 0 ? day - fraction : day + fraction;
}

int DayOfWeek(TDateTime dt) {
    long days, ms;
    Split(dt, days, ms);
    // 1899-12-30 was a Saturday.
    long w = (days + 6) % 7;
    if (w < 0) w += 7;
    return static_cast<int>(w) + 1;
}

namespace {

void FormatInto(std::string& out, std::string_view f, TDateTime dt, int depth) {
    if (depth > 2) return;
    const TFormatSettings& fs = FormatSettings();
    int y, mo, d, h, mi, s, ms;
    DecodeDate(dt, y, mo, d);
    DecodeTime(dt, h, mi, s, ms);
    // Whether an am/pm token follows, which turns hours into a 12-hour clock.
    bool twelve = false;
    for (std::size_t k = 0; k < f.size(); ++k)
        if ((f[k] == 'a' || f[k] == 'A') &&
            (StartsNoCase(f, k, "am/pm") || StartsNoCase(f, k, "a/p") || StartsNoCase(f, k, "ampm")))
            twelve = true;
    const int h12 = h % 12 == 0 ? 12 : h % 12;
    bool lastWasHour = false;

    std::size_t i = 0;
    while (i < f.size()) {
        const char c = f[i];
        const char lc = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
        auto run = [&](char ch) {
            std::size_t n = 0;
            while (i + n < f.size() && (f[i + n] == ch || f[i + n] == ch - 32)) ++n;
            return n;
        };
        if (c == '\'' || c == '"') {
            const std::size_t end = f.find(c, i + 1);
            const std::size_t stop = end == std::string_view::npos ? f.size() : end;
            out.append(f.substr(i + 1, stop - i - 1));
            i = stop == f.size() ? stop : stop + 1;
            continue;
        }
        if (lc == 'a' && StartsNoCase(f, i, "am/pm")) {
            out += h < 12 ? (c == 'A' ? "AM" : "am") : (c == 'A' ? "PM" : "pm");
            i += 5;
            continue;
        }
        if (lc == 'a' && StartsNoCase(f, i, "a/p")) {
            out += h < 12 ? (c == 'A' ? "A" : "a") : (c == 'A' ? "P" : "p");
            i += 3;
            continue;
        }
        if (lc == 'a' && StartsNoCase(f, i, "ampm")) {
            out += h < 12 ? fs.TimeAMString : fs.TimePMString;
            i += 4;
            continue;
        }
        switch (lc) {
            case 'y': {
                const std::size_t n = run('y');
                AppendPadded(out, n <= 2 ? y % 100 : y, n <= 2 ? 2 : 4);
                i += n;
                lastWasHour = false;
                break;
            }
            case 'm': {
                const std::size_t n = run('m');
                if (lastWasHour && n <= 2) {
                    AppendPadded(out, mi, n == 1 ? 1 : 2);
                } else if (n == 1) {
                    AppendPadded(out, mo, 1);
                } else if (n == 2) {
                    AppendPadded(out, mo, 2);
                } else if (n == 3) {
                    out += kShortMonths[mo - 1];
                } else {
                    out += kLongMonths[mo - 1];
                }
                i += n;
                lastWasHour = false;
                break;
            }
            case 'd': {
                const std::size_t n = run('d');
                const int w = DayOfWeek(dt) - 1;
                if (n == 1) AppendPadded(out, d, 1);
                else if (n == 2) AppendPadded(out, d, 2);
                else if (n == 3) out += kShortDays[w];
                else if (n == 4) out += kLongDays[w];
                else if (n == 5) FormatInto(out, fs.ShortDateFormat, dt, depth + 1);
                else FormatInto(out, fs.LongDateFormat, dt, depth + 1);
                i += n;
                lastWasHour = false;
                break;
            }
            case 'h': {
                const std::size_t n = run('h');
                const int hv = twelve ? h12 : h;
                AppendPadded(out, hv, n == 1 ? 1 : 2);
                i += n;
                lastWasHour = true;
                break;
            }
            case 'n': {
                const std::size_t n = run('n');
                AppendPadded(out, mi, n == 1 ? 1 : 2);
                i += n;
                lastWasHour = false;
                break;
            }
            case 's': {
                const std::size_t n = run('s');
                AppendPadded(out, s, n == 1 ? 1 : 2);
                i += n;
                lastWasHour = false;
                break;
            }
            case 'z': {
                const std::size_t n = run('z');
                AppendPadded(out, ms, n == 1 ? 1 : 3);
                i += n;
                lastWasHour = false;
                break;
            }
            case 't': {
                const std::size_t n = run('t');
                FormatInto(out, n == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, dt, depth + 1);
                i += n;
                lastWasHour = false;
                break;
            }
            case 'c': {
                FormatInto(out, fs.ShortDateFormat, dt, depth + 1);
                if (dt != std::trunc(dt)) {
                    out += ' ';
                    FormatInto(out, fs.LongTimeFormat, dt, depth + 1);
                }
                ++i;
                lastWasHour = false;
                break;
            }
            case '/':
                out += fs.DateSeparator;
                ++i;
                break;
            case ':':
                out += fs.TimeSeparator;
                ++i;
                break;
            default:
                out += c;
                ++i;
                break;
        }
    }
}

// Formats of numbers only (years, months, days, hours, minutes, seconds,
// milliseconds, separators, literals, and "c" of such formats), the common
// ones, compiled once into steps: a data set formats a date of every row.
// The steps give what FormatInto gives; anything else is left to it.
enum class Step : unsigned char { Text, Year2, Year4, Month, Minute, Day, Hour, Second, Milli, TimeStart, TimeEnd };

struct CompiledStep {
    Step step;
    int width = 1;     // digits at least
    std::string text;  // of Text
};

bool Compile(std::string_view f, const TFormatSettings& fs, std::vector<CompiledStep>& steps, int depth) {
    if (depth > 1) return false;
    bool lastWasHour = false;
    std::size_t i = 0;
    auto text = [&steps](std::string_view t) {
        if (!steps.empty() && steps.back().step == Step::Text)
            steps.back().text += t;
        else
            steps.push_back({Step::Text, 1, std::string(t)});
    };
    while (i < f.size()) {
        const char c = f[i];
        const char lc = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
        std::size_t n = 0;
        while (i + n < f.size() && (f[i + n] == lc || f[i + n] == lc - 32)) ++n;
        auto number = [&](Step step, int width) {
            steps.push_back({step, width, {}});
            i += n;
            lastWasHour = step == Step::Hour;
        };
        switch (lc) {
            case '\'':
            case '"': {
                const std::size_t end = f.find(c, i + 1);
                const std::size_t stop = end == std::string_view::npos ? f.size() : end;
                text(f.substr(i + 1, stop - i - 1));
                i = stop == f.size() ? stop : stop + 1;
                break;
            }
            case 'y': number(n <= 2 ? Step::Year2 : Step::Year4, n <= 2 ? 2 : 4); break;
            case 'm':
                if (lastWasHour && n <= 2)
                    number(Step::Minute, n == 1 ? 1 : 2);
                else if (n <= 2)
                    number(Step::Month, static_cast<int>(n));
                else
                    return false;  // month names
                break;
            case 'd':
                if (n > 2) return false;  // day names, long formats
                number(Step::Day, static_cast<int>(n));
                break;
            case 'h': number(Step::Hour, n == 1 ? 1 : 2); break;
            case 'n': number(Step::Minute, n == 1 ? 1 : 2); break;
            case 's': number(Step::Second, n == 1 ? 1 : 2); break;
            case 'z': number(Step::Milli, n == 1 ? 1 : 3); break;
            case 'c':
                if (!Compile(fs.ShortDateFormat, fs, steps, depth + 1)) return false;
                steps.push_back({Step::TimeStart, 1, {}});
                text(" ");
                if (!Compile(fs.LongTimeFormat, fs, steps, depth + 1)) return false;
                steps.push_back({Step::TimeEnd, 1, {}});
                ++i;
                lastWasHour = false;
                break;
            case 'a':
            case 't': return false;  // am/pm, and the time formats by letter
            case '/':
                text(std::string_view(&fs.DateSeparator, 1));
                ++i;
                break;
            case ':':
                text(std::string_view(&fs.TimeSeparator, 1));
                ++i;
                break;
            default:
                text(std::string_view(&c, 1));
                ++i;
                break;
        }
    }
    return true;
}

// The steps of the format last asked for, while the settings they read stay.
struct CompiledFormat {
    std::string format, shortDate, longTime;
    char dateSeparator = 0, timeSeparator = 0;
    bool known = false, compiled = false;
    std::vector<CompiledStep> steps;

    bool Matches(std::string_view f, const TFormatSettings& fs) const {
        return known && f == format && fs.ShortDateFormat == shortDate && fs.LongTimeFormat == longTime &&
               fs.DateSeparator == dateSeparator && fs.TimeSeparator == timeSeparator;
    }
    void Make(std::string_view f, const TFormatSettings& fs) {
        format = f;
        shortDate = fs.ShortDateFormat;
        longTime = fs.LongTimeFormat;
        dateSeparator = fs.DateSeparator;
        timeSeparator = fs.TimeSeparator;
        steps.clear();
        compiled = Compile(f, fs, steps, 0);
        known = true;
    }
};

// The digits of `v` (at least `width` of them) at `p`; answers the end.
char* PutNumber(char* p, int v, int width) {
    char digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v > 0);
    for (; width > n; --width) *p++ = '0';
    while (n > 0) *p++ = digits[--n];
    return p;
}

void Run(const std::vector<CompiledStep>& steps, TDateTime dt, std::string& out) {
    int y, mo, d, h, mi, s, ms;
    DecodeDate(dt, y, mo, d);
    DecodeTime(dt, h, mi, s, ms);
    const bool anyTime = dt != std::trunc(dt);
    // Into a buffer on the stack, handed over when full and at the end.
    char buf[128];
    char* p = buf;
    auto room = [&](std::size_t n) {
        if (static_cast<std::size_t>(buf + sizeof buf - p) < n) {
            out.append(buf, p);
            p = buf;
        }
    };
    for (std::size_t k = 0; k < steps.size(); ++k) {
        const CompiledStep& c = steps[k];
        int v = 0;
        switch (c.step) {
            case Step::Text:
                if (c.text.size() > sizeof buf) {
                    out.append(buf, p);
                    p = buf;
                    out += c.text;
                } else {
                    room(c.text.size());
                    p = std::copy(c.text.begin(), c.text.end(), p);
                }
                continue;
            case Step::TimeStart:
                if (!anyTime)
                    while (steps[k].step != Step::TimeEnd) ++k;
                continue;
            case Step::TimeEnd: continue;
            case Step::Year2: v = y % 100; break;
            case Step::Year4: v = y; break;
            case Step::Month: v = mo; break;
            case Step::Minute: v = mi; break;
            case Step::Day: v = d; break;
            case Step::Hour: v = h; break;
            case Step::Second: v = s; break;
            case Step::Milli: v = ms; break;
        }
        room(16);
        p = PutNumber(p, v, c.width);  // years of the calendar are never negative
    }
    out.append(buf, p);
}

}  // namespace

std::string FormatDateTime(std::string_view format, TDateTime dt) {
    const std::string_view f = format.empty() ? std::string_view("c") : format;
    const TFormatSettings& fs = FormatSettings();
    thread_local CompiledFormat last;
    if (!last.Matches(f, fs)) last.Make(f, fs);
    std::string out;
    if (last.compiled)
        Run(last.steps, dt, out);
    else
        FormatInto(out, f, dt, 0);
    return out;
}

std::string DateToStr(TDateTime dt) { return FormatDateTime(FormatSettings().ShortDateFormat, dt); }
std::string TimeToStr(TDateTime dt) { return FormatDateTime(FormatSettings().LongTimeFormat, dt); }
std::string DateTimeToStr(TDateTime dt) { return FormatDateTime("c", dt); }

bool TryStrToDate(std::string_view text, TDateTime& result) {
    // Order of the parts follows the short date format: y, m, d in the order
    // of their first letters.
    const std::string& f = FormatSettings().ShortDateFormat;
    std::string order;
    for (char c : f) {
        const char lc = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
        if ((lc == 'y' || lc == 'm' || lc == 'd') && order.find(lc) == std::string::npos) order += lc;
    }
    if (order.size() != 3) order = "ymd";
    int parts[3];
    int count = 0;
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    while (count < 3) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
        long v = 0;
        std::size_t digits = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            v = v * 10 + (text[i] - '0');
            if (++digits > 4) return false;
            ++i;
        }
        parts[count++] = static_cast<int>(v);
        if (count < 3) {
            if (i >= text.size() || text[i] != FormatSettings().DateSeparator) return false;
            ++i;
        }
    }
    while (i < text.size() && text[i] == ' ') ++i;
    if (i != text.size()) return false;
    int y = 0, m = 0, d = 0;
    for (int k = 0; k < 3; ++k) {
        if (order[k] == 'y') y = parts[k];
        if (order[k] == 'm') m = parts[k];
        if (order[k] == 'd') d = parts[k];
    }
    if (y < 100) y += y < 50 ? 2000 : 1900;
    return TryEncodeDate(y, m, d, result);
}

TDateTime StrToDate(std::string_view text) {
    TDateTime r;
    if (!TryStrToDate(text, r)) throw EConvertError("'" + std::string(text) + "' is not a valid date");
    return r;
}

}  // namespace menvaro
