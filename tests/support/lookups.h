#pragma once

class QWidget;

// Drives a lookup window's sequence tick by tick instead of waiting for its
// timer: ten ticks fill the bar, the eleventh sends the lookup.
constexpr int ticksToFire = 11;

void tickLookup(QWidget *window, int ticks = ticksToFire);

// A user's lookup: a click on the window's "Begin Lookup" label, then the
// ticks up to and including the one that sends it.
void runLookup(QWidget *window);
