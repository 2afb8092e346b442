#!/usr/bin/python3
# Test SMTP server that requires authentication: python3-aiosmtpd on one address offering AUTH LOGIN and
# CRAM-MD5 (RFC 2195) for one user, allowed without TLS; PLAIN is never offered. Every accepted message is
# printed as one JSON line: the client's port (one per connection), the mechanism it logged in with, the
# sender, the recipients and the data in base64. Prints "ready" once listening; stops at end of stdin or
# SIGTERM.
import argparse, base64, hmac, json, logging, secrets, signal, sys, threading, time, warnings

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, MISSING


class AuthHandler:
    def __init__(self, user, password):
        self.user = user.encode()
        self.password = password.encode()
        self.lock = threading.Lock()

    def authenticate(self, server, session, envelope, mechanism, auth_data):
        ok = auth_data.login == self.user and hmac.compare_digest(auth_data.password, self.password)
        if ok:
            session.mechanism = mechanism
        return AuthResult(success=ok, handled=False)   # a failure is answered with 535 by aiosmtpd

    async def auth_CRAM__MD5(self, server, args):
        challenge = ('<%s.%d@sorvanta.test>' % (secrets.token_hex(8), int(time.time()))).encode()
        answer = await server.challenge_auth(challenge)
        if answer is MISSING:
            return AuthResult(success=False, handled=True)      # the refusal was already answered
        user, _, digest = answer.partition(b' ')
        expected = hmac.new(self.password, challenge, 'md5').hexdigest().encode()
        ok = user == self.user and hmac.compare_digest(digest, expected)
        if ok:
            server.session.mechanism = 'CRAM-MD5'
        return AuthResult(success=ok, handled=False)   # a failure is answered with 535 by aiosmtpd

    async def handle_DATA(self, server, session, envelope):
        record = {'port': session.peer[1], 'mechanism': getattr(session, 'mechanism', ''),
                  'from': envelope.mail_from, 'to': envelope.rcpt_tos,
                  'data': base64.b64encode(envelope.original_content or envelope.content).decode()}
        with self.lock:
            print(json.dumps(record), flush=True)
        return '250 2.0.0 Message accepted'


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--listen', required=True, help='address:port')
    parser.add_argument('--user', required=True)
    parser.add_argument('--password', required=True)
    parser.add_argument('--mechanisms', default='LOGIN CRAM-MD5', help='blank-separated subset to offer')
    args = parser.parse_args()
    # Plain AUTH without TLS is what this server is for: keep aiosmtpd's warnings about it out of the test log.
    warnings.simplefilter('ignore')
    logging.getLogger('mail.log').setLevel(logging.ERROR)

    offered = set(args.mechanisms.split())
    excluded = [m for m in ('PLAIN', 'LOGIN', 'CRAM-MD5') if m not in offered]
    handler = AuthHandler(args.user, args.password)
    host, port = args.listen.rsplit(':', 1)
    controller = Controller(handler, hostname=host, port=int(port), ready_timeout=10, decode_data=False,
                            authenticator=handler.authenticate, auth_required=True, auth_require_tls=False,
                            auth_exclude_mechanism=excluded)
    controller.start()
    print('ready', flush=True)

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    threading.Thread(target=lambda: (sys.stdin.read(), stop.set()), daemon=True).start()
    stop.wait()
    controller.stop()


if __name__ == '__main__':
    main()
