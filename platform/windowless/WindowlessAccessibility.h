#pragma once
// Makes windowless controls visible to assistive technology: the host widget reports them as its
// children (after its windowed ones), each with its accessible name, its hint as description, its
// bounds and its enabled state, and a press action where it reacts to clicks.

namespace windowless {

// Installs the accessibility factory for hosts; safe to call repeatedly.
void installWindowlessAccessibility();

}  // namespace windowless
