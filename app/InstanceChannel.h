// The single-instance rule: the first program of a user listens on a per-user local socket; a
// later start finds it there, hands over its request (come to the front, a name to search for, a
// directory to read) and exits without opening a window.
//
// Wire format, one connection per hand-over: a sequence of frames written with QDataStream
// (Qt 6.4 format), each a quint32 request code and a QString text. Code 0 asks for activation
// (empty text), 259 carries a name to search for, 260 a directory to read; unknown codes are
// skipped. A connection that sends more than kMaxRequestBytes is dropped.
#pragma once

#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QString>
#include <vector>

namespace shelfmark {

struct InstanceRequest {
    enum Code : quint32 { Activate = 0, Search = 259, ReadDirectory = 260 };
    quint32 code = Activate;
    QString text;
};

class InstanceChannel : public QObject {
    Q_OBJECT
  public:
    static constexpr qint64 kMaxRequestBytes = 64 * 1024;

    // The socket name for this user; `suffix` keeps tests apart from a running program.
    static QString DefaultServerName(const QString& suffix = {});

    explicit InstanceChannel(QString serverName, QObject* parent = nullptr);

    // Hands the requests to a running instance; false when none answers within the time.
    bool sendToRunning(const std::vector<InstanceRequest>& requests, int timeoutMs = 2000) const;
    // Starts listening as the first instance. A socket file left by a program that died is
    // removed first. False when another instance listens already or the socket cannot be made.
    bool listen();
    const QString& serverName() const { return serverName_; }

  signals:
    void activateRequested();
    void searchRequested(const QString& name);
    void readDirectoryRequested(const QString& directory);

  private:
    void acceptConnection();
    void finish(QLocalSocket* socket);
    void dispatch(const InstanceRequest& request);

    QString serverName_;
    QLocalServer server_;
};

}  // namespace shelfmark
