#include "platform/TextCodec.h"
#include "statuspage/StatusPage.h"

#include <QtTest>

using StatusPage::HostRow;
Q_DECLARE_METATYPE(HostRow)

namespace
{
const QDateTime fivePastSeven(QDate(2026, 12, 6), QTime(7, 5, 0));

QByteArray crlfLines(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += TextCodec::encode(line) + "\r\n";
    return bytes;
}

const QStringList head = {
    "<html>",
    "<head><meta charset=\"Shift_JIS\"><title>サーバー監視報告</title></head>",
    "<body>",
    "<table border=1>",
    "<tr><td colspan=3>2026/12/06　7:05:00</td></tr>",
    "<tr><td>IPアドレス</td><td>ポート</td><td>ステータス</td></tr>",
};
const QStringList tail = {"</table>", "</body>", "</html>"};
}

class TestStatusPage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pageBytes_data()
    {
        QTest::addColumn<QList<HostRow>>("hosts");
        QTest::addColumn<QStringList>("hostLines");
        QTest::newRow("header row only") << QList<HostRow>{} << QStringList{};
        QTest::newRow("running, down, not yet probed")
            << QList<HostRow>{{"192.168.0.10", "80", "サーバー稼動中"},
                              {"mail.example.jp", "25", "サーバーダウン"},
                              {"ns1", "53", ""}}
            << QStringList{"<tr><td>192.168.0.10</td><td>80</td><td>サーバー稼動中</td></tr>",
                           "<tr><td>mail.example.jp</td><td>25</td><td>サーバーダウン</td></tr>",
                           "<tr><td>ns1</td><td>53</td><td></td></tr>"};
        QTest::newRow("blank row") << QList<HostRow>{{"", "", ""}}
                                   << QStringList{"<tr><td></td><td></td><td></td></tr>"};
    }
    void pageBytes()
    {
        QFETCH(QList<HostRow>, hosts);
        QFETCH(QStringList, hostLines);
        QCOMPARE(StatusPage::compose(hosts, fivePastSeven), crlfLines(head + hostLines + tail));
    }

    // The bytes a Japanese browser expects: code page 932, CR LF, the
    // ideographic space between date and time.
    void codePage932Bytes()
    {
        const QByteArray page = StatusPage::compose({}, fivePastSeven);
        QVERIFY(page.contains("<title>\x83\x54\x81\x5b\x83\x6f\x81\x5b\x8a\xc4\x8e\x8b\x95\xf1\x8d\x90</title>"));
        QVERIFY(page.contains("<td colspan=3>2026/12/06\x81\x40" "7:05:00</td></tr>\r\n"));
        QVERIFY(page.endsWith("</table>\r\n</body>\r\n</html>\r\n"));
        QCOMPARE(page.count("\r\n"), 9);
        QCOMPARE(page.count('\n'), 9);
    }

    void dateAndTime_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("dateLine");
        QTest::newRow("single-digit hour") << fivePastSeven << "2026/12/06　7:05:00";
        QTest::newRow("afternoon") << QDateTime(QDate(2027, 1, 9), QTime(23, 59, 58)) << "2027/01/09　23:59:58";
    }
    void dateAndTime()
    {
        QFETCH(QDateTime, when);
        QFETCH(QString, dateLine);
        const QString page = TextCodec::decode(StatusPage::compose({}, when));
        QCOMPARE(page.split("\r\n").at(4), "<tr><td colspan=3>" + dateLine + "</td></tr>");
    }

    void cellsEscaped_data()
    {
        QTest::addColumn<HostRow>("host");
        QTest::addColumn<QString>("line");
        QTest::newRow("script in address") << HostRow{"<script>alert(1)</script>", "80", ""}
            << "<tr><td>&lt;script&gt;alert(1)&lt;/script&gt;</td><td>80</td><td></td></tr>";
        QTest::newRow("ampersand in status") << HostRow{"h", "80", "A&B"}
            << "<tr><td>h</td><td>80</td><td>A&amp;B</td></tr>";
        QTest::newRow("quote in port") << HostRow{"h", "8\"0", "x"}
            << "<tr><td>h</td><td>8&quot;0</td><td>x</td></tr>";
        QTest::newRow("already escaped text escaped again") << HostRow{"&amp;", "1", "'"}
            << "<tr><td>&amp;amp;</td><td>1</td><td>'</td></tr>";
    }
    void cellsEscaped()
    {
        QFETCH(HostRow, host);
        QFETCH(QString, line);
        const QString page = TextCodec::decode(StatusPage::compose({host}, fivePastSeven));
        QCOMPARE(page.split("\r\n").at(6), line);
    }
};

QTEST_GUILESS_MAIN(TestStatusPage)
#include "tst_statuspage.moc"
