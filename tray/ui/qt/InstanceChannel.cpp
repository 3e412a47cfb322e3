// The local socket between two copies of the tray program. The request is one line; the first
// copy answers it with one line, so the second knows it was heard before it exits.
#include "tray/ui/qt/InstanceChannel.h"

#include "tray/util/Checksums.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace pellmar {
namespace {

constexpr int kTimeoutMs = 5000;
const QByteArray kShowRequest = "show\n";
const QByteArray kShownReply = "shown\n";

QString ChannelName(const std::string& dataPath) {
    return QString("pellmar-%1").arg(Crc32OfText(dataPath), 8, 16, QChar('0'));
}

}  // namespace

InstanceChannel::InstanceChannel(const std::string& dataPath, std::function<void()> onShow)
    : server_(new QLocalServer(this)), onShow_(std::move(onShow)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // This copy holds the data folder's lock, so an existing endpoint is a dead copy's.
    QLocalServer::removeServer(ChannelName(dataPath));
    server_->listen(ChannelName(dataPath));
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = server_->nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (!client->canReadLine() || client->readLine() != kShowRequest) return;
                client->write(kShownReply);
                client->flush();
                if (onShow_) onShow_();
            });
        }
    });
}

InstanceChannel::~InstanceChannel() { server_->close(); }

bool InstanceChannel::Listening() const { return server_->isListening(); }

bool InstanceChannel::AskToShow(const std::string& dataPath) {
    QLocalSocket socket;
    socket.connectToServer(ChannelName(dataPath));
    if (!socket.waitForConnected(kTimeoutMs)) return false;
    socket.write(kShowRequest);
    if (!socket.waitForBytesWritten(kTimeoutMs)) return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(kTimeoutMs)) return false;
    }
    return socket.readLine() == kShownReply;
}

}  // namespace pellmar
