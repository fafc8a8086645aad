#include "termination_signals.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <csignal>
#include <unistd.h>

namespace {

volatile sig_atomic_t earlier_handler_ran = 0;

extern "C" void earlier_handler(int)
{
    earlier_handler_ran = 1;
}

} // namespace

class TestTerminationSignals : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void arrives_on_the_gui_thread_data()
    {
        QTest::addColumn<int>("signal_number");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void arrives_on_the_gui_thread()
    {
        QFETCH(int, signal_number);
        TerminationSignals signals_;
        QSignalSpy spy(&signals_, &TerminationSignals::termination_requested);
        QThread* delivered_on = nullptr;
        connect(&signals_, &TerminationSignals::termination_requested, this,
                [&] { delivered_on = QThread::currentThread(); });
        // Sent by another process, as the session manager does at logout.
        QCOMPARE(
            QProcess::execute(QStringLiteral("sh"),
                              {QStringLiteral("-c"),
                               QStringLiteral("kill -%1 %2").arg(signal_number).arg(::getpid())}),
            0);
        QVERIFY(spy.wait(3000));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), signal_number);
        QCOMPARE(delivered_on, thread());
    }

    void several_arrive_in_order()
    {
        TerminationSignals signals_;
        QSignalSpy spy(&signals_, &TerminationSignals::termination_requested);
        ::raise(SIGHUP);
        ::raise(SIGTERM);
        ::raise(SIGTERM);
        QTRY_COMPARE(spy.count(), 3);
        QCOMPARE(spy.at(0).at(0).toInt(), SIGHUP);
        QCOMPARE(spy.at(1).at(0).toInt(), SIGTERM);
        QCOMPARE(spy.at(2).at(0).toInt(), SIGTERM);
    }

    void earlier_handlers_come_back()
    {
        struct sigaction action = {};
        action.sa_handler = earlier_handler;
        sigemptyset(&action.sa_mask);
        for (const int signal_number : {SIGTERM, SIGINT, SIGHUP}) {
            ::sigaction(signal_number, &action, nullptr);
            {
                TerminationSignals signals_;
            }
            earlier_handler_ran = 0;
            ::raise(signal_number);
            QVERIFY(earlier_handler_ran);
        }
        action.sa_handler = SIG_DFL;
        for (const int signal_number : {SIGTERM, SIGINT, SIGHUP})
            ::sigaction(signal_number, &action, nullptr);
    }
};

QTEST_GUILESS_MAIN(TestTerminationSignals)
#include "test_termination_signals.moc"
