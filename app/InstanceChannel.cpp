#include "app/InstanceChannel.h"

#include <QDataStream>
#include <QLocalSocket>
#include <unistd.h>

#include "foundation/LanguageTexts.h"

namespace shelfmark {

QString InstanceChannel::DefaultServerName(const QString& suffix) {
    QString name = QString::fromUtf8(kApplicationName.data(), qsizetype(kApplicationName.size()));
    name.replace(QLatin1Char(' '), QLatin1Char('-'));
    return name + QLatin1Char('-') + QString::number(getuid()) + suffix;
}

InstanceChannel::InstanceChannel(QString serverName, QObject* parent)
    : QObject(parent), serverName_(std::move(serverName)) {
    // Only this user may connect: a request from someone else could open files in our name.
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &InstanceChannel::acceptConnection);
}

bool InstanceChannel::sendToRunning(const std::vector<InstanceRequest>& requests,
                                    int timeoutMs) const {
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    for (const InstanceRequest& request : requests)
        out << request.code << request.text;
    socket.write(bytes);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return true;
}

bool InstanceChannel::listen() {
    // A live instance answers. Ask first: with access options Qt makes the socket aside and
    // renames it into place, which would silently take the name from a running program.
    QLocalSocket probe;
    probe.connectToServer(serverName_);
    if (probe.waitForConnected(500))
        return false;
    // Nobody answers: whatever is left under the name belongs to a program that died.
    QLocalServer::removeServer(serverName_);
    return server_.listen(serverName_);
}

void InstanceChannel::acceptConnection() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, socket, [socket] {
            if (socket->bytesAvailable() > kMaxRequestBytes)
                socket->abort();
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { finish(socket); });
        if (socket->state() == QLocalSocket::UnconnectedState)
            finish(socket);
    }
}

void InstanceChannel::finish(QLocalSocket* socket) {
    const QByteArray bytes = socket->readAll();
    socket->deleteLater();
    if (bytes.size() > kMaxRequestBytes)
        return;
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_4);
    while (!in.atEnd()) {
        InstanceRequest request;
        in >> request.code >> request.text;
        if (in.status() != QDataStream::Ok)
            return;
        dispatch(request);
    }
}

void InstanceChannel::dispatch(const InstanceRequest& request) {
    switch (request.code) {
        case InstanceRequest::Activate:
            emit activateRequested();
            break;
        case InstanceRequest::Search:
            emit searchRequested(request.text);
            break;
        case InstanceRequest::ReadDirectory:
            emit readDirectoryRequested(request.text);
            break;
        default:
            break;
    }
}

}  // namespace shelfmark
