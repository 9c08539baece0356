#include "connectionSettle.h"

#include <QObject>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

void whenConnectionsSettle(QObject* context, const std::vector<QTcpSocket*>& sockets, int budgetMs,
                           std::function<void()> done) {
    // Owns the connections and the deadline; deleting it ends both.
    auto* waiter = new QObject(context);
    auto finished = std::make_shared<bool>(false);
    auto finish = [waiter, finished, done = std::move(done)] {
        if (*finished) {
            return;
        }
        *finished = true;
        waiter->deleteLater();
        done();
    };
    auto check = [sockets, finish] {
        for (QTcpSocket* socket : sockets) {
            const auto state = socket->state();
            if (state == QAbstractSocket::HostLookupState ||
                state == QAbstractSocket::ConnectingState) {
                return;
            }
        }
        finish();
    };
    for (QTcpSocket* socket : sockets) {
        QObject::connect(socket, &QAbstractSocket::stateChanged, waiter, check);
    }
    QTimer::singleShot(budgetMs, waiter, finish);
    // Queued, so `done` never runs inside the caller.
    QTimer::singleShot(0, waiter, check);
}
