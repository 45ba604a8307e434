#pragma once
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

// Runs the event loop until pred() holds or the time is up; returns pred().
template <class Pred> bool waitUntil(Pred pred, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        if (pred())
            return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return pred();
}
