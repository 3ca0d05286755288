// One running instance per executable name and user. The first start claims a local socket
// name and answers on it; a second start hands its last command-line argument over and ends.
// The name lives in the abstract namespace, so a crashed instance leaves nothing behind.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace qs40 {

// The executable's file name without folder and extension, the instance suffix and the user.
QString instanceName(const QString& executablePath, unsigned userId);

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role { First, Second };

    explicit SingleInstance(QString name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // First: the name was free and this process now receives hand-overs. Second: another
    // instance holds it. A name that can be neither claimed nor reached makes this process
    // the first, without hand-overs.
    Role claim();

    // From a second start: sends the argument count and the text, and waits until the running
    // instance has taken them. False when it could not be reached in time.
    bool handOver(int argumentCount, const QString& text, int timeoutMs = 5000);

    // The busy state: held while starting up (until the first paint is done), while a Run,
    // Single or generator On handler, the watchdog tick, a file command or a menu dialog runs,
    // and while a handed-over file is offered. Holds nest: a tick inside a modal box does not
    // make the instance idle while the box is still open.
    bool busy() const { return busyHolds_ > 0; }
    void holdBusy() { ++busyHolds_; }
    void releaseBusy() {
        if (busyHolds_ > 0)
            --busyHolds_;
    }

    const QString& name() const { return name_; }

signals:
    // A second start handed over its argument count and last argument (delivered after its
    // connection was answered).
    void handedOver(int argumentCount, const QString& text);

private:
    void acceptConnections();
    bool listen();

    QString name_;
    QLocalServer server_;
    int busyHolds_ = 1; // a starting instance is busy until its first paint is done
};

// Holds the instance busy for the life of the scope. A null instance is allowed.
class BusyScope {
public:
    explicit BusyScope(SingleInstance* instance) : instance_(instance) {
        if (instance_)
            instance_->holdBusy();
    }
    ~BusyScope() {
        if (instance_)
            instance_->releaseBusy();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    SingleInstance* instance_;
};

} // namespace qs40
