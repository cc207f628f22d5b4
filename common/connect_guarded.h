#pragma once
// Connects a signal to a handler that runs unguarded: whatever the handler does not deal
// with itself goes to the uncaught-error handler, never through the toolkit's own frames.

#include "common/failure.h"

#include <QObject>

// A member handler; it takes the signal's leading arguments it names.
template <typename Sender, typename Signal, typename Receiver, typename... Args>
QMetaObject::Connection connectGuarded(const Sender *sender, Signal signal, Receiver *receiver,
                                       void (Receiver::*handler)(Args...),
                                       Qt::ConnectionType type = Qt::AutoConnection)
{
    return QObject::connect(
        sender, signal, receiver,
        [receiver, handler](Args... args) { unguarded([&] { (receiver->*handler)(args...); }); }, type);
}

// Any callable taking no arguments, run in the context of receiver.
template <typename Sender, typename Signal, typename Handler>
QMetaObject::Connection connectGuarded(const Sender *sender, Signal signal, const QObject *receiver,
                                       Handler handler, Qt::ConnectionType type = Qt::AutoConnection)
{
    return QObject::connect(
        sender, signal, receiver, [handler] { unguarded(handler); }, type);
}
