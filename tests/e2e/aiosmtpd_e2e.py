"""A failure report against Debian's aiosmtpd on a free loopback port: the mail
(with an 8-bit body, which aiosmtpd offers) reads back with Python's email
parser; with the server stopped, the next report is logged as failed. Usage: aiosmtpd_e2e.py TST_NOTIFY"""
import asyncio
import ctypes
import email
import email.policy
import os
import pathlib
import signal
import subprocess
import sys
import tempfile


class Keep:
    """Keeps each message in the folder given, named by its recipients."""

    async def handle_DATA(self, server, session, envelope):
        pathlib.Path(sys.argv[2], "+".join(envelope.rcpt_tos) + ".eml").write_bytes(
            b"X-From: %s\r\nX-Options: %s\r\n" % (envelope.mail_from.encode(), " ".join(envelope.mail_options).encode())
            + envelope.original_content)
        return "250 2.0.0 accepted"


async def serve():
    from aiosmtpd.smtp import SMTP
    server = await asyncio.get_running_loop().create_server(lambda: SMTP(Keep()), "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    await server.serve_forever()


def report(port, stopped):
    """The program's sender, run by its test's function; 0 when accepted, or refused if stopped."""
    env = dict(os.environ, SENTROVA_SMTP_FOLDER=work, SENTROVA_SMTP_PORT=port, QT_QPA_PLATFORM="offscreen",
               **({"SENTROVA_SMTP_STOPPED": "1"} if stopped else {}))
    return subprocess.run([sys.argv[1], "reportToARealServer"], env=env, timeout=90).returncode


if sys.argv[1] == "--serve":
    sys.exit(asyncio.run(serve()))
# The server dies with this script (PR_SET_PDEATHSIG), also when CTest kills it at its timeout.
with tempfile.TemporaryDirectory() as work:
    server = subprocess.Popen([sys.executable, __file__, "--serve", work], stdout=subprocess.PIPE, text=True,
                              preexec_fn=lambda: ctypes.CDLL(None).prctl(1, signal.SIGKILL))
    try:
        port = server.stdout.readline().strip()
        print("aiosmtpd on 127.0.0.1:%s, pid %d" % (port, server.pid))
        accepted_test = report(port, False)
    finally:
        server.kill()
        server.wait()
    refused_test = report(port, True)
    mail = pathlib.Path(work, "ops@example.org+boss@example.org.eml").read_bytes()
    message = email.message_from_bytes(mail, policy=email.policy.default)
    log = [line.split("   ", 1)[1] for line in pathlib.Path(work, "Sentrova.Log").read_bytes().decode("cp932").split("\r\n") if line]
host = "web01.example.jp"
checks = {
    "accepted, then refused once stopped": accepted_test == 0 and refused_test == 0,
    "envelope and headers": (message["X-From"], message["To"]) == ("sentrova@example.org", "ops@example.org, boss@example.org"),
    "8-bit body, as the server offered": (message["X-Options"], message["Content-Transfer-Encoding"]) == ("BODY=8BITMIME", "8bit"),
    "subject": message["Subject"] == "サーバー監視報告",
    "body": message.get_content().splitlines() == ["障害が検出されました。", "2026/12/06 9:05:07 時点で",
                                                   "「%s」の応答がありませんでした。 " % host],
    "log": log == [host + "サーバー障害の報告を行いました。 ", "「%s」のサーバー障害の報告に失敗しました。 接続できません" % host],
}
for name, ok in checks.items():
    print("ok  " if ok else "FAIL", name)
sys.exit(0 if all(checks.values()) else 1)
