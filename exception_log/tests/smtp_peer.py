#!/usr/bin/env python3
"""A mail server for the logger's mail tests (aiosmtpd), on loopback only.

smtp_peer.py smtp SETUP LOG
    SETUP is a JSON object:
      "auth": [USER, PASSWORD]   AUTH LOGIN with these is required
      "reject_rcpt": [ADDRESS]   RCPT TO these is answered 550
      "reject_data": true        every message is answered 554
    Each message received is read by Python's e-mail parser (the default
    policy) and written to LOG as lines of words:
      message
      from ADDRESS
      rcpt ADDRESS                            one line per recipient
      login USER                              when the session logged in
      defects N                               of the message, its parts and headers
      header NAME HEX                         the decoded value (UTF-8, hex)
      text HEX                                the text part, decoded
      attachment HEX(FILENAME) TYPE HEX       each attachment, decoded
      end

Prints the port it listens on as the first line of standard output.
"""

import asyncio
import email
import email.policy
import json
import logging
import sys
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword

# A test that fails leaves no peer behind for long.
LIFETIME = 120
HEADERS = ("Date", "From", "To", "Subject", "X-Priority", "X-Library", "MIME-Version")


def hexed(text):
    return text.encode("utf-8").hex()


class Handler:
    def __init__(self, setup, log_path):
        self.setup = setup
        self.log_path = log_path

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address in self.setup.get("reject_rcpt", []):
            return "550 No such user here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if self.setup.get("reject_data"):
            return "554 Transaction failed"
        self.write(session, envelope)
        return "250 Message accepted for delivery"

    def write(self, session, envelope):
        message = email.message_from_bytes(envelope.content, policy=email.policy.default)
        lines = ["message", "from " + envelope.mail_from]
        lines += ["rcpt " + r for r in envelope.rcpt_tos]
        if getattr(session, "menvaro_login", None):
            lines.append("login " + session.menvaro_login)
        defects = []
        for part in message.walk():
            defects += part.defects
            for _, value in part.items():
                defects += getattr(value, "defects", ())
        lines.append("defects %d" % len(defects))
        for name in HEADERS:
            if name in message:
                lines.append("header %s %s" % (name, hexed(str(message[name]))))
        for part in message.walk():
            if part.is_multipart():
                continue
            if part.get_content_disposition() == "attachment":
                data = part.get_payload(decode=True) or b""
                lines.append("attachment %s %s %s" % (hexed(part.get_filename() or ""), part.get_content_type(),
                                                       data.hex()))
            elif part.get_content_type() == "text/plain":
                lines.append("text " + hexed(part.get_content()))
        lines.append("end")
        with open(self.log_path, "a") as log:
            log.write("\n".join(lines) + "\n")


def authenticator(expected):
    def check(server, session, envelope, mechanism, auth_data):
        ok = (mechanism == "LOGIN" and isinstance(auth_data, LoginPassword)
              and [auth_data.login.decode(), auth_data.password.decode()] == expected)
        if ok:
            session.menvaro_login = auth_data.login.decode()
        return AuthResult(success=ok, handled=False)
    return check


async def serve(setup, log_path):
    handler = Handler(setup, log_path)
    options = {"hostname": "peer.local", "auth_require_tls": False}
    if "auth" in setup:
        options.update(auth_required=True, authenticator=authenticator(setup["auth"]))
    loop = asyncio.get_running_loop()
    server = await loop.create_server(lambda: SMTP(handler, **options), "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    await asyncio.sleep(LIFETIME)


def main():
    # The loopback server needs no TLS; its advice about it is not a failure.
    warnings.simplefilter("ignore")
    logging.disable(logging.WARNING)
    setup, log_path = json.loads(sys.argv[2]), sys.argv[3]
    asyncio.run(serve(setup, log_path))


if __name__ == "__main__":
    main()
