#include "support/lookups.h"

#include "lookup/lookupsequence.h"
#include "windows/controls.h"

#include <QTest>

void tickLookup(QWidget *window, int ticks)
{
    auto *sequence = window->findChild<LookupSequence *>();
    QVERIFY2(sequence, "the window has no lookup sequence");
    for (int tick = 0; tick < ticks; ++tick)
        sequence->tick();
}

void runLookup(QWidget *window)
{
    for (Label *label : window->findChildren<Label *>()) {
        if (label->text() == QLatin1String("Begin Lookup")) {
            QTest::mouseClick(label, Qt::LeftButton);
            tickLookup(window);
            return;
        }
    }
    QFAIL("the window has no Begin Lookup label");
}
