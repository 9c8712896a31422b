// The report mail by SMTP: one session per recipient, through the
// configured server or the recipient's mail exchanger.
#include "ExceptionLogMail.h"

#include <memory>

#include "EConsts.h"
#include "ESockets.h"
#include "ExceptionLog.h"
#include "base/Strings.h"

namespace menvaro {

namespace {

// The header texts a line break would split into headers of its own.
void RefuseLineBreak(std::string_view what, std::string_view text) {
    if (HasLineBreak(text)) throw EOstrelSocketError("The " + std::string(what) + " holds a line break.");
}

std::string Base64Line(std::string_view text) {
    std::string encoded = Base64Encode(text);
    std::erase(encoded, '\r');
    std::erase(encoded, '\n');
    return encoded;
}

// Secrets this short would mask half the transcript; the commands that
// carry them are masked whatever their length.
constexpr std::size_t kShortestMaskedSecret = 3;

}  // namespace

TSmtpSessionSettings& SmtpSessionSettings() {
    static TSmtpSessionSettings settings;
    return settings;
}

std::string BuildSmtpMessage(std::string_view sender, std::string_view recipient, std::string_view subject,
                             std::string_view body, const std::vector<std::string>& attachments) {
    RefuseLineBreak("sender address", sender);
    RefuseLineBreak("recipient address", recipient);
    RefuseLineBreak("subject", subject);
    return "Date: " + MailDateText() + "\r\n" + "From: <" + std::string(sender) + ">\r\n" +
           "Subject: " + EncodeHeaderText(subject) + "\r\n" + "To: <" + std::string(recipient) + ">\r\n" +
           MimeContentTypeHeader() + "X-Priority: 1\r\n" + "X-Library: " + kOstrelLogVersionText + "\r\n" + "\r\n" +
           MimeBody(body, attachments);
}

std::string MaskSmtpSecrets(std::string_view text, std::string_view user, std::string_view password) {
    std::string masked(text);
    for (std::string_view secret : {password, user}) {
        if (secret.size() < kShortestMaskedSecret) continue;
        for (const std::string& form : {std::string(secret), Base64Line(secret)})
            masked = ReplaceAll(masked, form, "***");
    }
    return masked;
}

bool SendSmtpMessage(bool useMX, const std::string& sender, const std::string& host, std::uint16_t port,
                     const std::string& user, const std::string& password, const std::string& recipient,
                     const std::string& subject, const std::string& body,
                     const std::vector<std::string>& attachments, TSmtpProgress* progress) {
    TraceCall("SendSmtpMessage", {useMX, sender, host, port, TTraceArg::Masked(), TTraceArg::Masked(), recipient},
              2);
    bool result = false;
    try {
        // Built first: a header that would be split is refused before any
        // server hears of it.
        const std::string message = BuildSmtpMessage(sender, recipient, subject, body, attachments);
        if (progress) progress->SetStatus(kSmtpConnectingText);
        const TSmtpSessionSettings& settings = SmtpSessionSettings();
        TOwned<TOstrelClientSMTP> client(Create<TOstrelClientSMTP>(host, port, true, settings.Timeout));
        client->SetQuietPeriod(settings.QuietPeriod);
        client->Connect();
        if (progress) progress->SetStatus(kSmtpConnectedText);
        const std::string hostName = LocalHostName();
        bool ok;
        if (!user.empty() || !password.empty()) {
            ok = client->SendCommand("EHLO " + hostName, {250}) && client->SendCommand("RSET", {250}) &&
                 client->SendCommand("AUTH LOGIN", {334}) && client->SendCommand(Base64Line(user), {334}, true) &&
                 client->SendCommand(Base64Line(password), {235}, true) &&
                 client->SendCommand("MAIL FROM:<" + sender + ">", {250});
        } else {
            ok = client->SendCommand("HELO " + hostName, {250}) && client->SendCommand("RSET", {250}) &&
                 client->SendCommand("MAIL FROM:<" + sender + ">", {250});
        }
        if (progress) progress->SetStatus(kSmtpSendingText);
        bool accepted = ok && client->SendCommand("RCPT TO:<" + recipient + ">", {250, 251}) &&
                        client->SendCommand("DATA", {354});
        if (progress)
            client->SetOnProgress([progress](TOstrelClientSocket&, std::int64_t position, std::int64_t total) {
                progress->SetPosition(total > 0 ? static_cast<int>(position * 100 / total) : 100);
            });
        if (accepted) accepted = client->SendData(message, {250});
        client->SetOnProgress(nullptr);
        result = accepted;
    } catch (const std::exception& e) {
        ReportWarning(eeEmailSMTPError, "[SMTP] " + MaskSmtpSecrets(e.what(), user, password));
    } catch (...) {
        ReportWarning(eeEmailSMTPError, "General 'SMTP' error.");
    }
    TraceCall("SendSmtpMessage=", {result}, -2);
    return result;
}

bool SendEmailBySmtp(bool useMX, const std::string& sender, const std::string& host, std::uint16_t port,
                     const std::string& user, const std::string& password, const std::string& recipients,
                     const std::string& subject, const std::string& body,
                     const std::vector<std::string>& attachments, TSmtpProgress* progress) {
    TraceCall("SendEmailBySmtp", {useMX, sender, host, port, TTraceArg::Masked(), TTraceArg::Masked(), recipients},
              2);
    bool result = false;
    try {
        std::vector<std::string> list;
        SplitAddressList(recipients, list);
        if (progress) progress->SetRecipientCount(static_cast<int>(list.size()));
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (progress) {
                progress->SetPosition(0);
                progress->SetRecipientNumber(static_cast<int>(i + 1));
            }
            std::string server = host;
            if (useMX) {
                if (progress) progress->SetStatus(kSmtpResolvingText);
                server = ResolveMXRecord(list[i]);
            }
            if (SendSmtpMessage(useMX, sender, server, port, user, password, list[i], subject, body, attachments,
                                progress))
                result = true;
        }
    } catch (...) {
        result = false;
        ReportWarningFromException(eeEmailSMTPError, "SMTP");
    }
    if (progress) progress->Close();
    TraceCall("SendEmailBySmtp=", {result}, -2);
    return result;
}

}  // namespace menvaro
