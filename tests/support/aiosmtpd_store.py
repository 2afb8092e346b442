#!/usr/bin/python3
# Test SMTP server: python3-aiosmtpd listening on each given address, storing every message it accepts as
# N.eml (the data as received, dot-unstuffed) and N.json (envelope: server address, sender, recipients,
# HELO name) in the store folder, and every refused recipient as a line of refused.txt. Recipients whose
# local part starts with the refuse prefix get "550 5.1.1 User unknown". Optional AUTH LOGIN/PLAIN with one
# user and password. Prints "ready" once every address listens; stops at end of stdin or SIGTERM.
import argparse, asyncio, json, os, signal, sys, threading

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, SMTP


class StoreHandler:
    def __init__(self, folder, refuse_prefix):
        self.folder = folder
        self.refuse_prefix = refuse_prefix
        self.lock = threading.Lock()
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        local = address.split('@', 1)[0]
        if self.refuse_prefix and local.startswith(self.refuse_prefix):
            with self.lock, open(os.path.join(self.folder, 'refused.txt'), 'a') as f:
                f.write(address + '\n')
            return '550 5.1.1 User unknown'
        envelope.rcpt_tos.append(address)
        return '250 OK'

    async def handle_DATA(self, server, session, envelope):
        with self.lock:
            self.count += 1
            number = self.count
        base = os.path.join(self.folder, '%06d' % number)
        with open(base + '.eml', 'wb') as f:
            f.write(envelope.original_content or envelope.content)
        with open(base + '.json', 'w') as f:
            json.dump({'server': server.hostname_bound, 'from': envelope.mail_from,
                       'to': envelope.rcpt_tos, 'helo': session.host_name}, f)
        return '250 Message accepted for delivery'


class BoundController(Controller):
    def factory(self):
        smtp = SMTP(self.handler, **self.SMTP_kwargs)
        smtp.hostname_bound = self.hostname
        return smtp


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--store', required=True)
    parser.add_argument('--listen', action='append', required=True, help='address:port, repeatable')
    parser.add_argument('--refuse-prefix', default='')
    parser.add_argument('--user', default='')
    parser.add_argument('--password', default='')
    args = parser.parse_args()

    handler = StoreHandler(args.store, args.refuse_prefix)
    kwargs = {'decode_data': False, 'enable_SMTPUTF8': False}
    if args.user:
        def authenticate(server, session, envelope, mechanism, auth_data):
            ok = auth_data.login.decode() == args.user and auth_data.password.decode() == args.password
            return AuthResult(success=ok)
        kwargs.update(authenticator=authenticate, auth_require_tls=False)

    controllers = []
    for item in args.listen:
        host, port = item.rsplit(':', 1)
        controller = BoundController(handler, hostname=host, port=int(port), ready_timeout=10, **kwargs)
        controller.start()
        controllers.append(controller)
    print('ready', flush=True)

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    threading.Thread(target=lambda: (sys.stdin.read(), stop.set()), daemon=True).start()
    stop.wait()
    for controller in controllers:
        controller.stop()


if __name__ == '__main__':
    main()
