#include "ExceptionLogMime.h"

#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>

#include "base/Files.h"
#include "base/Strings.h"

namespace menvaro {

namespace {

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Base64 of up to one line's input, without the line end.
void EncodeGroups(std::string_view data, std::string& out) {
    std::size_t i = 0;
    for (; i + 3 <= data.size(); i += 3) {
        const unsigned v = (unsigned{static_cast<unsigned char>(data[i])} << 16) |
                           (unsigned{static_cast<unsigned char>(data[i + 1])} << 8) |
                           static_cast<unsigned char>(data[i + 2]);
        out += kAlphabet[(v >> 18) & 63];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    const std::size_t rest = data.size() - i;
    if (rest == 0) return;
    unsigned v = unsigned{static_cast<unsigned char>(data[i])} << 16;
    if (rest == 2) v |= unsigned{static_cast<unsigned char>(data[i + 1])} << 8;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
    out += '=';
}

// The bytes of a UTF-8 sequence that starts with `lead` (1 for a stray byte).
std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF7) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

// A quoted header parameter: no line break, quotes and backslashes escaped.
std::string QuotedParameter(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += (c == '\r' || c == '\n') ? ' ' : c;
    }
    return out;
}

}  // namespace

std::string Base64Encode(std::string_view data) {
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4 + (data.size() / kBase64LineBytes + 1) * 2);
    for (std::size_t at = 0; at < data.size(); at += kBase64LineBytes) {
        EncodeGroups(data.substr(at, kBase64LineBytes), out);
        out += "\r\n";
    }
    return out;
}

std::string Base64EncodeStream(std::istream& stream) {
    const std::string data((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    return Base64Encode(data);
}

std::string Base64EncodeFile(const std::string& fileName) {
    if (Trim(fileName).empty() || !FileExists(fileName)) return {};
    std::ifstream file(fileName, std::ios::binary);
    if (!file) return {};
    std::string encoded = Base64EncodeStream(file);
    return file.bad() ? std::string() : encoded;
}

void SplitAddressList(std::string_view text, std::vector<std::string>& list) {
    std::string rest = Trim(text);
    if (rest.empty()) return;
    if (rest.back() != ',' && rest.back() != ';') rest += ',';
    std::size_t start = 0;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] != ',' && rest[i] != ';') continue;
        list.push_back(Trim(std::string_view(rest).substr(start, i - start)));
        start = i + 1;
    }
}

bool IsAsciiText(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

std::string EncodeHeaderText(std::string_view text) {
    if (IsAsciiText(text)) return std::string(text);
    // 45 bytes give 60 characters of base64; with "=?UTF-8?B?" and "?=" a
    // word stays within 75. Words end only between whole characters.
    constexpr std::size_t kWordBytes = 45;
    std::string out;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = at;
        while (end < text.size()) {
            const std::size_t n = SequenceLength(static_cast<unsigned char>(text[end]));
            if (end + n - at > kWordBytes && end > at) break;
            end = std::min(text.size(), end + n);
        }
        std::string word;
        EncodeGroups(text.substr(at, end - at), word);
        if (!out.empty()) out += "\r\n ";
        out += "=?UTF-8?B?" + word + "?=";
        at = end;
    }
    return out;
}

std::string AttachmentContentType(std::string_view fileName) {
    return UpperCase(ExtractFileExt(fileName)) == ".PNG" ? "image/png" : "application/octet-stream";
}

std::string MimeAttachmentPart(const std::string& fileName) {
    if (Trim(fileName).empty() || !FileExists(fileName)) return {};
    std::ifstream file(fileName, std::ios::binary);
    if (!file) return {};
    const std::string data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) return {};
    const std::string name = QuotedParameter(ExtractFileName(fileName));
    return "\r\n--" + std::string(kMimeBoundary) + "\r\n" + "Content-Type: " + AttachmentContentType(fileName) +
           ";\r\n" + "        name=\"" + name + "\"\r\n" + "Content-Transfer-Encoding: base64\r\n" +
           "Content-Disposition: attachment;\r\n" + "        filename=\"" + name + "\"\r\n" + "\r\n" +
           Base64Encode(data);
}

std::string MimeBody(std::string_view text, const std::vector<std::string>& attachments) {
    std::string body = std::string(kMimePreamble) + "\r\n\r\n--" + kMimeBoundary + "\r\n";
    if (IsAsciiText(text)) {
        body += "Content-Type: text/plain\r\nContent-Transfer-Encoding: 7bit\r\n\r\n";
        body += text;
        body += "\r\n";
    } else {
        // Eight-bit text labelled 7bit would reach readers damaged.
        body += "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: base64\r\n\r\n";
        body += Base64Encode(text);
    }
    for (const std::string& a : attachments) body += MimeAttachmentPart(a);
    body += "--" + std::string(kMimeBoundary) + "--\r\n";
    return body;
}

std::string MimeContentTypeHeader() {
    return "Content-Type: multipart/mixed; boundary=\"" + std::string(kMimeBoundary) + "\";\r\nMIME-Version: 1.0\r\n";
}

std::string RfcDateText(int weekday, int day, int month, int year, int hour, int minute, int second,
                        int utcOffsetMinutes) {
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int magnitude = utcOffsetMinutes < 0 ? -utcOffsetMinutes : utcOffsetMinutes;
    char text[64];
    std::snprintf(text, sizeof text, "%s, %d %s %d %02d:%02d:%02d %c%02d%02d", days[weekday], day, months[month - 1],
                  year, hour, minute, second, utcOffsetMinutes < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
    return text;
}

std::string MailDateText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    // The offset in force now, so that readers put the mail at its real time.
    const int offset = static_cast<int>(local.tm_gmtoff / 60) % (100 * 60);
    return RfcDateText(local.tm_wday, local.tm_mday, local.tm_mon + 1, local.tm_year + 1900, local.tm_hour,
                       local.tm_min, local.tm_sec, offset);
}

std::vector<std::string> SplitCommandWords(std::string_view commandLine) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false;
    for (char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

}  // namespace menvaro
