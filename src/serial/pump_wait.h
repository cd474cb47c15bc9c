#pragma once

// Waits the given time while the UI thread keeps dispatching events (timers, clicks, painting),
// sleeping while idle. Handlers may run inside the wait, including ones that call PumpWait again.
void PumpWait(int milliseconds);
