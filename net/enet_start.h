#pragma once

// ENet started once for the process (and stopped at its exit); false when it cannot be.
bool enetStarted();
