// Classes built into the tests, registered as modules would be. Their
// methods post what they were called with ("test-probe: int 5"), so a
// Patch's recorded lines show calls and outputs in the order they happened.
#pragma once

namespace hosttest {

/// Defines test-probe, test-timer, test-floaty, test-listy, test-inty,
/// test-old and test-proxied with the host; safe to call more than once.
void define_test_classes();

} // namespace hosttest
