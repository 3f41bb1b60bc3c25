#pragma once

#include "app/windowregistry.h"

#include <QWidget>

// The moves between windows, for code outside the windows (the windows ask
// for theirs through WindowFrame). Each shows its target before it hides the
// window it starts from, so that a visible window exists throughout.
namespace Moves {

// Show the target (in front, with the focus), then hide self.
template <class Target>
void goTo(QWidget &self)
{
    WindowRegistry::current()->move(self, WindowClass::of<Target>(), Activation::Show);
}

// Make the target visible without activating it, then hide self.
template <class Target>
void returnTo(QWidget &self)
{
    WindowRegistry::current()->move(self, WindowClass::of<Target>(), Activation::Visible);
}

} // namespace Moves
