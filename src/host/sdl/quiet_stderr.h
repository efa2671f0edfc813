// What the sound libraries print while SDL looks for a device, held back until it is known
// whether a device opened.
#pragma once

// From now on standard error goes aside (unless the user named SDL's audio driver, whose messages
// are theirs to see).
void quiet_stderr_begin();
// Standard error back; what went aside is kept.
void quiet_stderr_end();
// What was kept is written to standard error when pass_on is set, else dropped.
void quiet_stderr_release(bool pass_on);
