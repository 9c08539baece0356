// The process-wide state of the panel application, for tests that run its code one case after
// another in one process.
#pragma once

// Puts every process-wide item of the panel application back to its value at start-up. Only
// while no panel runs.
void resetPanelProcessState();
