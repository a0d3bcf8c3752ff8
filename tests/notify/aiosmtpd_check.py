"""Reads a stored report back with Python's email parser and checks it."""
import email
import email.policy
import json
import sys

folder, host = sys.argv[1], sys.argv[2]
with open(folder + "/1.eml", "rb") as f:
    message = email.message_from_bytes(f.read(), policy=email.policy.default)
with open(folder + "/1.json") as f:
    envelope = json.load(f)

expected_lines = [
    "障害が検出されました。",
    "2026/12/06 9:05:07 時点で",
    "「" + host + "」の応答がありませんでした。 ",
]
failures = []
if message["Subject"] != "サーバー監視報告":
    failures.append("subject: %r" % message["Subject"])
body = message.get_content().splitlines()
if body[:3] != expected_lines:
    failures.append("body: %r" % body)
if envelope["mail_from"] != "sentrova@example.org":
    failures.append("sender: %r" % envelope["mail_from"])
if envelope["rcpt_tos"] != ["ops@example.org", "boss@example.org"]:
    failures.append("recipients: %r" % envelope["rcpt_tos"])
if message["To"] != "ops@example.org, boss@example.org":
    failures.append("To: %r" % message["To"])
if message["Date"] is None or message["Message-ID"] is None:
    failures.append("Date or Message-ID missing")
for failure in failures:
    print("FAIL", failure)
print("helo:", envelope["helo"], "subject:", message["Subject"])
sys.exit(1 if failures else 0)
