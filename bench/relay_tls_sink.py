#!/usr/bin/python3
"""The TLS sink of bench_relay: an SMTP server on 127.0.0.1:PORT that offers STARTTLS (Python's ssl module
over OpenSSL, the certificate and key given), answers every command at once and discards every message.
It takes no envelope before the session is secured (530), so a message delivered in clear fails the run.
Usage: relay_tls_sink.py CERTIFICATE KEY PORT"""
import asyncio
import ssl
import sys

certificate, key, port = sys.argv[1], sys.argv[2], int(sys.argv[3])
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(certificate, key)


class Session(asyncio.Protocol):
    def connection_made(self, transport):
        self.transport = transport
        self.buffer = b""
        self.in_message = False
        self.secured = False
        self.securing = False       # the handshake runs: what arrives waits until the new transport is known
        transport.write(b"220 sink ESMTP\r\n")

    def data_received(self, chunk):
        self.buffer += chunk
        while self.buffer and not self.securing:
            if self.in_message:
                end = self.buffer.find(b"\r\n.\r\n")
                if end < 0:
                    self.buffer = self.buffer[-4:]
                    return
                self.buffer = self.buffer[end + 5:]
                self.in_message = False
                self.transport.write(b"250 2.0.0 queued\r\n")
                continue
            end = self.buffer.find(b"\r\n")
            if end < 0:
                return
            line, self.buffer = self.buffer[:end], self.buffer[end + 2:]
            if not self.answer(line.upper()):
                return

    # False when the session stops reading plaintext (STARTTLS, QUIT).
    def answer(self, command):
        if command.startswith(b"EHLO"):
            self.transport.write(b"250-sink\r\n250-8BITMIME\r\n250 STARTTLS\r\n" if not self.secured
                                 else b"250-sink\r\n250 8BITMIME\r\n")
        elif command == b"STARTTLS" and not self.secured:
            self.transport.write(b"220 2.0.0 ready to start TLS\r\n")
            self.transport.pause_reading()
            self.buffer = b""
            self.securing = True
            asyncio.ensure_future(self.secure())
            return False
        elif command == b"QUIT":
            self.transport.write(b"221 bye\r\n")
            self.transport.close()
            return False
        elif not self.secured and (command.startswith(b"MAIL") or command.startswith(b"RCPT")):
            self.transport.write(b"530 5.7.0 Must issue a STARTTLS command first\r\n")
        elif command == b"DATA":
            self.in_message = True
            self.transport.write(b"354 go ahead\r\n")
        else:
            self.transport.write(b"250 ok\r\n")
        return True

    async def secure(self):
        try:
            self.transport = await asyncio.get_running_loop().start_tls(self.transport, self, context,
                                                                        server_side=True)
        except (OSError, ssl.SSLError, ConnectionError):
            self.transport.close()
            return
        self.secured = True
        self.securing = False
        self.data_received(b"")     # the client may have spoken before start_tls returned


async def main():
    server = await asyncio.get_running_loop().create_server(Session, "127.0.0.1", port, backlog=1024)
    async with server:
        await server.serve_forever()


asyncio.run(main())
