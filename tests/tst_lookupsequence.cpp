// The paced lookup: ten ticks of progress, the eleventh fires.
#include "lookup/lookupsequence.h"
#include "lookup/runtimeerror.h"
#include "support/recorders.h"
#include "support/testmain.h"

#include <QElapsedTimer>
#include <QTimer>

namespace {

// A sequence on its own timer and bar, with a lookup that notes what it saw.
struct Rig
{
    QTimer timer;
    QStringList lookups; // "value/timer running" at each lookup
    LookupSequence sequence{timer, [this] {
                                lookups << QStringLiteral("%1/%2").arg(bar.Value()).arg(
                                    timer.isActive() ? "running" : "stopped");
                            }};
    ProgressValue &bar = sequence.progress();
};

} // namespace

class TestLookupSequence : public QObject
{
    Q_OBJECT

private slots:
    void startsIdle();
    void firesOnTheEleventhTick();
    void secondBeginWhileRunningChangesNothing();
    void firesAboveNinetyNotOnlyAtHundred();
    void sequencesOfTwoWindowsAreIndependent();
    void realTimerFiresAfterAboutOneSecond();
    void progressRejectsValuesOutsideItsRange();
    void errorInATickIsReportedAndEndsTheProgram();
};

void TestLookupSequence::startsIdle()
{
    Rig rig;
    QVERIFY(!rig.timer.isActive());
    QCOMPARE(rig.timer.interval(), 100);
    QCOMPARE(rig.bar.Value(), 0.0f);
    QCOMPARE(rig.bar.Min(), 0.0f);
    QCOMPARE(rig.bar.Max(), 100.0f);
}

void TestLookupSequence::firesOnTheEleventhTick()
{
    Rig rig;
    rig.sequence.begin();
    QVERIFY(rig.sequence.isRunning());
    for (int tick = 1; tick <= 10; ++tick) {
        rig.sequence.tick();
        QCOMPARE(rig.bar.Value(), float(tick * 10));
        QVERIFY(rig.lookups.isEmpty());
    }
    rig.sequence.tick();
    // The lookup ran first, with the bar still full and the timer on;
    // only then did the timer stop and the bar empty.
    QCOMPARE(rig.lookups, QStringList{"100/running"});
    QVERIFY(!rig.sequence.isRunning());
    QCOMPARE(rig.bar.Value(), 0.0f);
}

void TestLookupSequence::secondBeginWhileRunningChangesNothing()
{
    Rig rig;
    rig.sequence.begin();
    for (int tick = 0; tick < 4; ++tick)
        rig.sequence.tick();
    rig.sequence.begin();
    QCOMPARE(rig.bar.Value(), 40.0f);
    QVERIFY(rig.sequence.isRunning());
    for (int tick = 0; tick < 7; ++tick)
        rig.sequence.tick();
    QCOMPARE(rig.lookups.size(), 1);
    QVERIFY(!rig.sequence.isRunning());
}

void TestLookupSequence::firesAboveNinetyNotOnlyAtHundred()
{
    Rig rig;
    rig.bar.setValue(90.5f);
    rig.sequence.begin();
    rig.sequence.tick();
    QCOMPARE(rig.lookups, QStringList{"90.5/running"});
    QCOMPARE(rig.bar.Value(), 0.0f);

    rig.bar.setValue(90.0f);
    rig.sequence.begin();
    rig.sequence.tick();
    QCOMPARE(rig.bar.Value(), 100.0f);
    QCOMPARE(rig.lookups.size(), 1);
}

void TestLookupSequence::sequencesOfTwoWindowsAreIndependent()
{
    Rig first;
    Rig second;
    first.sequence.begin();
    for (int tick = 0; tick < 5; ++tick)
        first.sequence.tick();
    second.sequence.begin();
    for (int tick = 0; tick < 6; ++tick) {
        first.sequence.tick();
        second.sequence.tick();
    }
    QCOMPARE(first.lookups.size(), 1);
    QVERIFY(second.lookups.isEmpty());
    QCOMPARE(second.bar.Value(), 60.0f);
    QVERIFY(second.sequence.isRunning());
}

void TestLookupSequence::realTimerFiresAfterAboutOneSecond()
{
    Rig rig;
    QElapsedTimer clock;
    clock.start();
    rig.sequence.begin();
    QTRY_COMPARE_WITH_TIMEOUT(rig.lookups.size(), 1, 5000);
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= 1050, qPrintable(QString::number(elapsed)));
    QVERIFY(!rig.sequence.isRunning());
    QCOMPARE(rig.bar.Value(), 0.0f);
}

void TestLookupSequence::progressRejectsValuesOutsideItsRange()
{
    ProgressValue bar;
    QVERIFY_THROWS_EXCEPTION(RuntimeError, bar.setValue(100.5f));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, bar.setValue(-1.0f));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, bar.setValue(std::numeric_limits<float>::quiet_NaN()));
    QCOMPARE(bar.Value(), 0.0f);
    bar.setValue(100.0f);
    QCOMPARE(bar.Value(), 100.0f);
    try {
        bar.setValue(101.0f);
        QFAIL("no error raised");
    } catch (const RuntimeError &error) {
        QCOMPARE(error.number(), 380);
        QCOMPARE(error.description(), "Invalid property value");
    }
}

void TestLookupSequence::errorInATickIsReportedAndEndsTheProgram()
{
    ErrorRecorder errors;
    EndRecorder end;
    Rig rig;
    // A bar whose maximum is below 100 refuses the sixth step.
    rig.bar.setRange(0, 55);
    rig.sequence.begin();
    QTRY_VERIFY_WITH_TIMEOUT(!errors.reports.isEmpty(), 5000);
    rig.timer.stop();
    QCOMPARE(errors.reports.first(), "380: Invalid property value");
    QVERIFY(end.ends >= 1);
    QVERIFY(rig.lookups.isEmpty());
}

QUORVANE_TEST_MAIN(TestLookupSequence)
#include "tst_lookupsequence.moc"
