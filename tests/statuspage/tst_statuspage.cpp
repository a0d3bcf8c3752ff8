#include "platform/TextCodec.h"
#include "statuspage/StatusPage.h"

#include <QtTest>

using StatusPage::HostRow;

class TestStatusPage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The whole page, code page 932 with CR LF, for a grid and a time.
    void pageBytes_data()
    {
        QTest::addColumn<QList<HostRow>>("hosts");
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QStringList>("lines");   // the date line, then one line a host
        const QDateTime morning(QDate(2026, 12, 6), QTime(7, 5, 0));
        QTest::newRow("header row only") << QList<HostRow>{} << morning << QStringList{"2026/12/06　7:05:00"};
        QTest::newRow("running, down, not yet probed")
            << QList<HostRow>{{"192.168.0.10", "80", "サーバー稼動中"}, {"mail.example.jp", "25", "サーバーダウン"}, {"ns1", "53", ""}}
            << QDateTime(QDate(2027, 1, 9), QTime(23, 59, 58))
            << QStringList{"2027/01/09　23:59:58", "<tr><td>192.168.0.10</td><td>80</td><td>サーバー稼動中</td></tr>",
                           "<tr><td>mail.example.jp</td><td>25</td><td>サーバーダウン</td></tr>",
                           "<tr><td>ns1</td><td>53</td><td></td></tr>"};
        QTest::newRow("markup escaped")
            << QList<HostRow>{{"<script>", "8\"0", "A&B"}, {"&amp;", "1", "'"}} << morning
            << QStringList{"2026/12/06　7:05:00", "<tr><td>&lt;script&gt;</td><td>8&quot;0</td><td>A&amp;B</td></tr>",
                           "<tr><td>&amp;amp;</td><td>1</td><td>'</td></tr>"};
    }
    void pageBytes()
    {
        QFETCH(QList<HostRow>, hosts);
        QFETCH(QDateTime, when);
        QFETCH(QStringList, lines);
        const QStringList page = QStringList{"<html>",
                                             "<head><meta charset=\"Shift_JIS\"><title>サーバー監視報告</title></head>",
                                             "<body>", "<table border=1>",
                                             "<tr><td colspan=3>" + lines.takeFirst() + "</td></tr>",
                                             "<tr><td>IPアドレス</td><td>ポート</td><td>ステータス</td></tr>"}
            + lines + QStringList{"</table>", "</body>", "</html>", ""};
        QCOMPARE(StatusPage::compose(hosts, when), TextCodec::encode(page.join("\r\n")));
    }
};

QTEST_GUILESS_MAIN(TestStatusPage)
#include "tst_statuspage.moc"
