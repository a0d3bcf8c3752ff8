"""Failure reports against real SMTP servers from Debian's packages on a free loopback port, read back with Python's email
parser. Usage: smtp_e2e.py aiosmtpd|starttls|tls|exim TST_NOTIFY. aiosmtpd: the mail goes 8-bit, as the server offers; once
it is stopped, the next report is logged as failed. starttls and tls: aiosmtpd with a certificate of a CA made here, requiring
STARTTLS or speaking TLS from the first byte, and a sign-in that must come over TLS. exim: Exim's own SMTP reader (exim4 -bs,
as for a remote client, queue only) takes a report whose host line is over 998 octets, and refuses one of its two recipients."""
import asyncio
import ctypes
import email.policy
import os
import pathlib
import re
import signal
import ssl
import subprocess
import sys
import tempfile


class Keep:
    """Keeps each message in the folder given, named by its recipients."""

    async def handle_DATA(self, server, session, envelope):
        pathlib.Path(sys.argv[3], "+".join(envelope.rcpt_tos) + ".eml").write_bytes(
            b"X-From: %s\r\nX-Options: %s\r\n" % (envelope.mail_from.encode(), " ".join(envelope.mail_options).encode())
            + envelope.original_content)
        return "250 2.0.0 accepted"


async def bridge_to_exim(reader, writer):
    """One connection, one exim4 -bs: what Exim reads from a client at 192.0.2.1 (not a relay host)."""
    exim = await asyncio.create_subprocess_exec("exim4", "-bs", "-odq", "-oMa", "192.0.2.1", stdin=subprocess.PIPE, stdout=subprocess.PIPE)

    async def pump(source, sink):
        while data := await source.read(65536):
            sink.write(data)
            await sink.drain()
        sink.close()
    await asyncio.gather(pump(reader, exim.stdin), pump(exim.stdout, writer), exim.wait())


def authenticate(server, session, envelope, mechanism, auth_data):
    """Takes ops/s3cret, and notes whether the password came over TLS."""
    tls = session.ssl is not None or server.transport.get_extra_info("ssl_object") is not None
    pathlib.Path(sys.argv[3], "auth").write_text("%s %s tls=%s" % (mechanism, auth_data.login.decode(), tls))
    from aiosmtpd.smtp import AuthResult
    return AuthResult(success=(auth_data.login, auth_data.password) == (b"ops", b"s3cret"))


async def serve():
    mode = sys.argv[2]
    if mode != "exim":
        from aiosmtpd.smtp import SMTP
        tls, options = None, {}
        if mode != "aiosmtpd":
            tls = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
            tls.load_cert_chain(pathlib.Path(sys.argv[3], "server.pem"), pathlib.Path(sys.argv[3], "server.key"))
            # aiosmtpd counts only STARTTLS as TLS for AUTH; the port 465 socket is TLS throughout.
            options = dict(authenticator=authenticate, auth_required=True, auth_require_tls=mode == "starttls",
                           tls_context=tls if mode == "starttls" else None, require_starttls=mode == "starttls")
        server = await asyncio.get_running_loop().create_server(lambda: SMTP(Keep(), **options), "127.0.0.1", 0, ssl=tls if mode == "tls" else None)
    else:
        server = await asyncio.start_server(bridge_to_exim, "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    await server.serve_forever()


def report(port, stopped):
    """The program's sender, run by its test's function; 0 when accepted, or refused if stopped."""
    account = {} if sys.argv[1] in ("aiosmtpd", "exim") else dict(
        SENTROVA_SMTP_SECURITY="StartTls" if sys.argv[1] == "starttls" else "Tls", SENTROVA_SMTP_USER="ops",
        SENTROVA_SMTP_PASSWORD="s3cret", SENTROVA_SMTP_CA=os.path.join(work, "ca.pem"))
    env = dict(os.environ, SENTROVA_SMTP_FOLDER=work, SENTROVA_SMTP_PORT=port, QT_QPA_PLATFORM="offscreen", SENTROVA_SMTP_HOST=host,
               SENTROVA_SMTP_RECIPIENTS=recipients, **account, **({"SENTROVA_SMTP_STOPPED": "1"} if stopped else {}))
    return subprocess.run([sys.argv[2], "reportToARealServer"], env=env, timeout=90).returncode


if sys.argv[1] == "--serve":
    sys.exit(asyncio.run(serve()))
exim = sys.argv[1] == "exim"
if exim and (os.geteuid() != 0 or not pathlib.Path("/usr/sbin/exim4").exists()):
    sys.exit(77)   # -oMa, a client's address, is for Exim's administrator
# Exim's queue is the machine's: the host text tells this run's mail from another's.
host = "w" * 992 + os.urandom(4).hex() if exim else "web01.example.jp"
recipients = "root@localhost,nobody-here@localhost" if exim else "ops@example.org,boss@example.org"


def queue():
    return set(re.findall(r"\b\w{6}-\w{6}-\w{2}\b", subprocess.run(["exim4", "-bp"], capture_output=True, text=True).stdout))


def is_ours(text):
    try:
        return host in email.message_from_bytes(text, policy=email.policy.default).get_content()
    except (KeyError, LookupError):   # a message of another kind
        return False


queued_before = queue() if exim else set()
# The server dies with this script (PR_SET_PDEATHSIG), also when CTest kills it at its timeout.
with tempfile.TemporaryDirectory() as work:
    if sys.argv[1] in ("starttls", "tls"):
        subprocess.run(["bash", os.path.join(os.path.dirname(__file__), "../support/make_test_certificates.sh"), work], check=True)
    with subprocess.Popen([sys.executable, __file__, "--serve", sys.argv[1], work], stdout=subprocess.PIPE, text=True,
                          preexec_fn=lambda: ctypes.CDLL(None).prctl(1, signal.SIGKILL)) as server:
        try:
            port = server.stdout.readline().strip()
            print("%s on 127.0.0.1:%s, pid %d" % (sys.argv[1], port, server.pid))
            accepted_test = report(port, False)
        finally:
            server.kill()   # and waited for as the block ends
    refused_test = 0 if exim else report(port, True)
    if exim:
        ours = {id: text for id in queue() - queued_before if is_ours(text := subprocess.run(["exim4", "-Mvc", id], capture_output=True).stdout)}
        subprocess.run(["exim4", "-Mrm", *ours], capture_output=True)
        mail = b"".join(ours.values())
    else:
        mail = pathlib.Path(work, recipients.replace(",", "+") + ".eml").read_bytes()
    message = email.message_from_bytes(mail, policy=email.policy.default)
    signed_in = pathlib.Path(work, "auth").read_text() if pathlib.Path(work, "auth").exists() else "none"
    log = [line.split("   ", 1)[1] for line in pathlib.Path(work, "Sentrova.Log").read_bytes().decode("cp932").split("\r\n") if line]
made = host + "サーバー障害の報告を行いました。 "
checks = {
    "accepted" + ("" if exim else ", then refused once stopped"): accepted_test == 0 and refused_test == 0,
    "headers": (message["From"], message["To"]) == ("sentrova@example.org", recipients.replace(",", ", ")),
    "subject": message["Subject"] == "サーバー監視報告",
    "body": message.get_content().splitlines() == ["障害が検出されました。", "2026/12/06 9:05:07 時点で", "「%s」の応答がありませんでした。 " % host],
}
if exim:
    checks["base64 for the long line, though 8-bit is offered"] = message["Content-Transfer-Encoding"] == "base64"
    checks["log"] = log == ["「%s」のサーバー障害の報告を<nobody-here@localhost>に送れませんでした。 550 Unrouteable address" % host, made]
else:
    checks["envelope"] = message["X-From"] == "sentrova@example.org"
    checks["8-bit body, as the server offered"] = (message["X-Options"], message["Content-Transfer-Encoding"]) == ("BODY=8BITMIME", "8bit")
    checks["log"] = log == [made, "「%s」のサーバー障害の報告に失敗しました。 接続できません" % host]
    if sys.argv[1] != "aiosmtpd":
        checks["signed in over TLS"] = signed_in == "PLAIN ops tls=True"
for name, ok in checks.items():
    print("ok  " if ok else "FAIL", name)
sys.exit(0 if all(checks.values()) else 1)
