#include "main/single_instance.h"

#include <QDataStream>
#include <QFileInfo>
#include <QIODevice>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>

namespace qs40 {
namespace {

// A hand-over is a 32-bit payload length, then the argument count and the text. Longer
// payloads are refused: a path does not need more.
constexpr quint32 kMaxPayload = 64 * 1024;
constexpr int kServerReadTimeoutMs = 5000;
constexpr char kTaken = 1;

QByteArray encode(int argumentCount, const QString& text) {
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << qint32(argumentCount) << text;
    QByteArray message;
    QDataStream framed(&message, QIODevice::WriteOnly);
    framed << quint32(payload.size());
    message.append(payload);
    return message;
}

bool decode(const QByteArray& payload, int& argumentCount, QString& text) {
    QDataStream in(payload);
    in.setVersion(QDataStream::Qt_6_0);
    qint32 count = 0;
    in >> count >> text;
    argumentCount = count;
    return in.status() == QDataStream::Ok && in.atEnd();
}

// Only the same user may hand a file over: abstract socket names carry no file permissions.
bool peerIsThisUser(const QLocalSocket& socket) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    const auto fd = static_cast<int>(socket.socketDescriptor());
    if (fd < 0 || getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return false;
    return credentials.uid == getuid();
}

// Reads one hand-over from a connection and answers it.
class Receiver : public QObject {
public:
    Receiver(QLocalSocket* socket, SingleInstance* instance) : QObject(socket), socket_(socket) {
        connect(socket, &QLocalSocket::readyRead, this, [this, instance] { read(instance); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(kServerReadTimeoutMs, socket, [socket] { socket->abort(); });
    }

private:
    void read(SingleInstance* instance) {
        buffer_.append(socket_->readAll());
        if (buffer_.size() < 4)
            return;
        QDataStream header(buffer_.left(4));
        quint32 size = 0;
        header >> size;
        if (size > kMaxPayload) {
            socket_->abort();
            return;
        }
        if (static_cast<quint32>(buffer_.size()) < 4 + size)
            return;
        int count = 0;
        QString text;
        if (!decode(buffer_.mid(4, static_cast<qsizetype>(size)), count, text)) {
            socket_->abort();
            return;
        }
        socket_->write(&kTaken, 1);
        socket_->flush();
        socket_->disconnectFromServer();
        // The offer may open modal boxes: let the connection finish first.
        QPointer<SingleInstance> target(instance);
        QTimer::singleShot(0, instance, [target, count, text] {
            if (target)
                emit target->handedOver(count, text);
        });
    }

    QLocalSocket* socket_;
    QByteArray buffer_;
};

} // namespace

QString instanceName(const QString& executablePath, unsigned userId) {
    return QFileInfo(executablePath).completeBaseName() + "_Mutex_951413_03-" +
           QString::number(userId);
}

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {
    server_.setSocketOptions(QLocalServer::AbstractNamespaceOption);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
}

SingleInstance::~SingleInstance() {
    server_.close();
}

bool SingleInstance::listen() {
    return server_.listen(name_);
}

SingleInstance::Role SingleInstance::claim() {
    if (listen())
        return Role::First;
    QLocalSocket probe;
    probe.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    probe.connectToServer(name_);
    if (probe.waitForConnected(1000)) {
        probe.abort();
        return Role::Second;
    }
    // Held by nobody who answers (an instance on its way out): try once more, then go on alone.
    listen();
    return Role::First;
}

bool SingleInstance::handOver(int argumentCount, const QString& text, int timeoutMs) {
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(name_);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(encode(argumentCount, text));
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    if (!socket.waitForReadyRead(timeoutMs))
        return false;
    return socket.read(1) == QByteArray(1, kTaken);
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        if (!peerIsThisUser(*socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        new Receiver(socket, this);
    }
}

} // namespace qs40
