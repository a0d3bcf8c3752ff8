"""An SMTP server on 127.0.0.1 with a free port that keeps every message.

Prints the port on its first line of output, then serves until killed.
Each message is stored as N.eml (the bytes as received, dots undone) and
N.json (envelope sender and recipients) in the folder given.
"""
import asyncio
import json
import os
import sys

from aiosmtpd.smtp import SMTP


class Keep:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.folder, str(self.count))
        with open(base + ".eml", "wb") as f:
            f.write(envelope.original_content)
        with open(base + ".json", "w") as f:
            json.dump({"helo": session.host_name, "mail_from": envelope.mail_from,
                       "rcpt_tos": envelope.rcpt_tos}, f)
        return "250 2.0.0 Message accepted for delivery"


async def main(folder):
    handler = Keep(folder)
    loop = asyncio.get_running_loop()
    server = await loop.create_server(lambda: SMTP(handler, hostname="aiosmtpd.test"), "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    await server.serve_forever()


asyncio.run(main(sys.argv[1]))
