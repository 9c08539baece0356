// Waiting for network cameras' connections without holding the GUI thread.
#pragma once

#include <functional>
#include <vector>

class QObject;
class QTcpSocket;

// Calls `done` once, on the GUI thread's events, when none of `sockets` is still looking up or
// connecting, or when `budgetMs` has passed, whichever comes first. `context` going away first
// cancels it.
void whenConnectionsSettle(QObject* context, const std::vector<QTcpSocket*>& sockets, int budgetMs,
                           std::function<void()> done);
