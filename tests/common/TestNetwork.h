#pragma once

#include <QString>
#include <QStringList>

// A private network for tests that broadcast, made of network namespaces that only this test
// sees: the console's namespace holds a bridge (the console's card) with an address of a private
// test subnet, and each module namespace is joined to the bridge by a veth link. The calling
// thread enters the console's namespace, so the sockets it creates live there. Everything is
// removed when the object goes, also when the test fails; namespaces left behind by a test
// process that died are removed by the next one.
class TestNetwork {
public:
    // cardAddress with its prefix, as "10.77.1.1/24".
    explicit TestNetwork(const QString &cardAddress);
    ~TestNetwork();
    TestNetwork(const TestNetwork &) = delete;
    TestNetwork &operator=(const TestNetwork &) = delete;

    // False when namespaces cannot be made here (no root, no ip); reason() says why.
    bool available() const { return available_; }
    QString reason() const { return reason_; }

    // A module namespace joined to the bridge, its card "eth0" with the address (and prefix)
    // given; its name, or empty when it could not be made (reason() says why).
    QString addModule(const QString &address);
    // Runs "ip -n <namespace> <command>", the command's words parted by single blanks; false (and
    // reason()) when it fails.
    bool ip(const QString &ns, const QString &command);
    QString consoleNamespace() const { return console_; }

    // Moves the calling thread into the console's namespace, and back to where it was.
    bool enter();
    void leave();

private:
    bool run(const QStringList &arguments);
    static void removeAbandoned();

    QString prefix_;
    QString console_;
    QStringList namespaces_;
    int originalNamespace_ = -1;
    bool available_ = false;
    QString reason_;
};
