// Restart of the adapter so that its driver takes up changed parameters.
#pragma once

// 1 when the adapter's device state was changed (disabled and enabled
// through the device installer), else 0.
int RestartAdapter();
