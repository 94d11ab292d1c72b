// "Save Network Configuration": every frame, pause and wait in order, and where it stops.
#include "core/network.h"

#include <QtTest>

using namespace corvane;
using controls::Ctl;

class NetworkTest : public QObject {
    Q_OBJECT

private slots:
    void save_data();
    void save();
    void settingsSent_data();
    void settingsSent();
    void sentBoxesAreWhatIsSent();
};

void NetworkTest::save_data() {
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("gw");
    QTest::addColumn<QString>("mtu");
    QTest::addColumn<QString>("udprs");
    QTest::addColumn<QString>("subnet");
    QTest::addColumn<QString>("expected");
    const QString tail = " A50991192.0.2.9<CR> ~100 W A51393255.255.255.0<CR> ~100 W "
                         "~100 A50225<CR> ~100";
    QTest::newRow("whole sequence")
        << "192.168.0.245"
        << "192.168.0.254"
        << "1400"
        << "192.0.2.9"
        << "255.255.255.0"
        << "A51323192.168.0.245<CR> ~100 W A51742192.168.0.254<CR> ~100 W A506721400<CR> W" + tail;
    QTest::newRow("short addresses: one length digit after A50; the gateway still 17")
        << "10.0.0.1"
        << "10.0.0.1"
        << "576"
        << "192.0.2.9"
        << "255.255.255.0"
        << "A5082310.0.0.1<CR> ~100 W A5174210.0.0.1<CR> ~100 W A50572576<CR> W" + tail;
    QTest::newRow("MTU 9000 written back as 1500")
        << "10.0.0.1"
        << "10.0.0.2"
        << "9000"
        << "192.0.2.9"
        << "255.255.255.0"
        << "A5082310.0.0.1<CR> ~100 W A5174210.0.0.2<CR> ~100 W MTUB='1500' "
           "A506721500<CR> W" +
               tail;
    QTest::newRow("MTU 1500 stays")
        << "10.0.0.1"
        << "10.0.0.2"
        << "1500"
        << "192.0.2.9"
        << "255.255.255.0"
        << "A5082310.0.0.1<CR> ~100 W A5174210.0.0.2<CR> ~100 W A506721500<CR> W" + tail;
    QTest::newRow("MTU 68: no frame, the send path gets an empty text")
        << "10.0.0.1"
        << "10.0.0.2"
        << "68"
        << "192.0.2.9"
        << "255.255.255.0"
        << "A5082310.0.0.1<CR> ~100 W A5174210.0.0.2<CR> ~100 W '' W" + tail;
    QTest::newRow("MTU 0999: four characters, sent as typed")
        << "10.0.0.1"
        << "10.0.0.2"
        << "0999"
        << "192.0.2.9"
        << "255.255.255.0"
        << "A5082310.0.0.1<CR> ~100 W A5174210.0.0.2<CR> ~100 W A506720999<CR> W" + tail;
    QTest::newRow("MTU 01400: five characters, named and nothing sent")
        << "10.0.0.1"
        << "10.0.0.2"
        << "01400"
        << "192.0.2.9"
        << "255.255.255.0"
        << "!''01400' is too long for the MTU (3 to 4 characters)'";
    // An MTU that cannot be sent stops the save before the static IP and the gateway: a board
    // half set is worse than one left as it was.
    QTest::newRow("MTU not a number: nothing sent") << "10.0.0.1"
                                                    << "10.0.0.2"
                                                    << "15OO"
                                                    << "192.0.2.9"
                                                    << "255.255.255.0"
                                                    << "!''15OO' is not a valid integer value'";
    QTest::newRow("MTU empty: named, nothing sent")
        << "10.0.0.1"
        << "10.0.0.2"
        << ""
        << "192.0.2.9"
        << "255.255.255.0"
        << "!'MTU is empty: it takes a whole number from 100 to 1500 (a larger one is sent as "
           "1500), in digits only.'";
    QTest::newRow("empty addresses: length 00")
        << ""
        << ""
        << "1500"
        << ""
        << ""
        << "A50023<CR> ~100 W A51742<CR> ~100 W A506721500<CR> W A50091<CR> ~100 W "
           "A50093<CR> ~100 W ~100 A50225<CR> ~100";
    const QString long99(99, '1');
    QTest::newRow("a 99-character address still fits")
        << "10.0.0.1"
        << "10.0.0.2"
        << "1500"
        << "10.0.0.3" << long99
        << "A5082310.0.0.1<CR> ~100 W A5174210.0.0.2<CR> ~100 W A506721500<CR> W "
           "A5089110.0.0.3<CR> ~100 W A59993" +
               long99 + "<CR> ~100 W ~100 A50225<CR> ~100";
    const QString long100(100, '2');
    const QString cut100 = QString(60, '2') + "... (100 bytes)"; // as a message quotes it
    QTest::newRow("a 100-character subnet mask: named, nothing sent")
        << "10.0.0.1"
        << "10.0.0.2"
        << "x"
        << "10.0.0.3" << long100
        << "!'Subnet Mask '" + cut100 + "' is too long to send to the board'";
    QTest::newRow("a 100-character static IP: named, nothing sent")
        << long100 << "10.0.0.2"
        << "1500"
        << "10.0.0.3"
        << "255.0.0.0"
        << "!'Static IP '" + cut100 + "' is too long to send to the board'";
    QTest::newRow("a 100-character UDPRS address: named, nothing sent")
        << "10.0.0.1"
        << "10.0.0.2"
        << "1500" << long100 << "255.0.0.0"
        << "!'UDPRS Destination IP '" + cut100 + "' is too long to send to the board'";
    QTest::newRow("a long gateway has fixed length digits and is sent")
        << "10.0.0.1" << long100 << "1500"
        << "10.0.0.3"
        << "255.0.0.0"
        << "A5082310.0.0.1<CR> ~100 W A51742" + long100 +
               "<CR> ~100 W A506721500<CR> W A5089110.0.0.3<CR> ~100 W A50993255.0.0.0<CR> "
               "~100 W ~100 A50225<CR> ~100";
}

void NetworkTest::save() {
    QFETCH(QString, ip);
    QFETCH(QString, gw);
    QFETCH(QString, mtu);
    QFETCH(QString, udprs);
    QFETCH(QString, subnet);
    QFETCH(QString, expected);
    controls::ConfigView v;
    v[Ctl::ipb].text = ip.toStdString();
    v[Ctl::gwp].text = gw.toStdString();
    v[Ctl::MTUB].text = mtu.toStdString();
    v[Ctl::UDPRSIPB].text = udprs.toStdString();
    v[Ctl::SubB].text = subnet.toStdString();
    QCOMPARE(QString::fromStdString(plan::describe(network::planNetworkSave(v))), expected);
}

// What the status bar names after the first `sent` sends went out.
void NetworkTest::settingsSent_data() {
    QTest::addColumn<QString>("mtu");
    QTest::addColumn<int>("sent");
    QTest::addColumn<QString>("expected");
    const QString all = "static IP, gateway, MTU, UDPRS destination, subnet mask";
    QTest::newRow("all, with the closing command") << "1400" << 6 << all;
    QTest::newRow("all but the closing command") << "1400" << 5 << all;
    QTest::newRow("MTU 9000 sent as 1500") << "9000" << 6 << all;
    QTest::newRow("stopped after the gateway") << "1400" << 2 << "static IP, gateway";
    QTest::newRow("nothing") << "1400" << 0 << "";
    QTest::newRow("an MTU without a frame is not named")
        << "68" << 6 << "static IP, gateway, UDPRS destination, subnet mask";
    QTest::newRow("refused: nothing") << "" << 6 << "";
}

void NetworkTest::settingsSent() {
    QFETCH(QString, mtu);
    QFETCH(int, sent);
    QFETCH(QString, expected);
    controls::ConfigView v;
    v[Ctl::ipb].text = "10.0.0.1";
    v[Ctl::gwp].text = "10.0.0.2";
    v[Ctl::MTUB].text = mtu.toStdString();
    v[Ctl::UDPRSIPB].text = "192.0.2.9";
    v[Ctl::SubB].text = "255.255.255.0";
    QCOMPARE(QString::fromStdString(network::settingsSent(network::planNetworkSave(v), sent)),
             expected);
}

// The boxes the window checks before the save are exactly those whose text reaches its frames.
void NetworkTest::sentBoxesAreWhatIsSent() {
    const auto saved = [](Ctl box, const char* text) {
        controls::ConfigView v;
        v[Ctl::MTUB].text = "1400";
        v[box].text = text;
        return plan::describe(network::planNetworkSave(v));
    };
    for (const controls::CtlInfo& row : controls::kCatalogue) {
        if (row.kind != controls::Kind::Edit)
            continue;
        const bool sent = saved(row.id, "120") != saved(row.id, "130");
        const bool named = std::find(network::kSentBoxes.begin(), network::kSentBoxes.end(),
                                     row.id) != network::kSentBoxes.end();
        QVERIFY2(sent == named, controls::name(row.id).data());
    }
}

QTEST_APPLESS_MAIN(NetworkTest)
#include "network_test.moc"
