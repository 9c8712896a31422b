// The parts of a report mail that the SMTP sender and the mail client share:
// base64 in the logger's line layout, the address-list split, header text,
// and the multipart body with the report text and the attachments.
#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace menvaro {

inline constexpr const char* kMimeBoundary = "=_xcjvnxkbhvfkxzhfdbvzldjhfv";
inline constexpr const char* kMimePreamble = "This is a multi-part message in MIME format";
// Input bytes of one base64 line: 80 characters, not 76.
inline constexpr std::size_t kBase64LineBytes = 60;

// The RFC 2045 alphabet with "=" padding; every line, the last one too,
// ends with CR LF; no input gives "".
std::string Base64Encode(std::string_view data);
// From the stream's position to its end.
std::string Base64EncodeStream(std::istream& stream);
// "" when the trimmed name is empty or names no readable file.
std::string Base64EncodeFile(const std::string& fileName);

// Appends the addresses of a text separated by "," or ";", each trimmed;
// two separators in a row give an empty entry.
void SplitAddressList(std::string_view text, std::vector<std::string>& list);

bool IsAsciiText(std::string_view text);
bool HasLineBreak(std::string_view text);
// A header's text: as it is when it is ASCII; otherwise UTF-8 encoded words
// (RFC 2047, "B"), none over 75 characters, folded onto lines of their own.
std::string EncodeHeaderText(std::string_view text);

// "image/png" for a name ending in ".png" (any case), else
// "application/octet-stream".
std::string AttachmentContentType(std::string_view fileName);
// The part of one attachment, opened by CR LF and the boundary line; "" when
// the trimmed name is empty or the file cannot be read.
std::string MimeAttachmentPart(const std::string& fileName);
// The preamble, the text part and every attachment's part, closed by the
// last boundary line. An ASCII text goes as it is ("7bit"); any other is
// declared UTF-8 and goes in base64.
std::string MimeBody(std::string_view text, const std::vector<std::string>& attachments);
// The content-type header of that body, with the MIME version line: two
// lines, each ended by CR LF.
std::string MimeContentTypeHeader();

// The date text of a mail's Date header ("Tue, 3 Mar 2026 14:05:09 +0100"):
// `weekday` 0 for Sunday, `month` 1 to 12, the offset from UTC in minutes.
std::string RfcDateText(int weekday, int day, int month, int year, int hour, int minute, int second,
                        int utcOffsetMinutes);
// The date text of a mail's Date header for the local time now
// ("Tue, 3 Mar 2026 14:05:09 +0100"), with the offset in force now.
std::string MailDateText();

// The words of a command line: blanks separate, double quotes group (and
// are dropped); no other character is special.
std::vector<std::string> SplitCommandWords(std::string_view commandLine);

}  // namespace menvaro
