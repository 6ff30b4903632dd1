#include "Responsive.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <memory>

void Responsive::run(bool large, const std::function<void()> &work)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!large || !app || QThread::currentThread() != app->thread()) {
        work();
        return;
    }
    std::unique_ptr<QThread> worker(QThread::create(work));
    QEventLoop loop;
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    if (!worker->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
}

void Responsive::yieldIfDue()
{
    if (!m_timer.isValid()) {
        m_timer.start();
        return;
    }
    if (m_timer.elapsed() < 30)
        return;
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_timer.restart();
}
