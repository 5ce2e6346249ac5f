#pragma once

// Asks the main board for fault record 0 (A1 with the byte 0; one try, 50 ms,
// up to 80 characters). Any answer tells the controller generation by its
// length from its start byte on: 23 characters or more come from the
// long-record generation, fewer from the short-record one. Returns false, leaving longFormat as it was,
// when nothing arrives.
bool ProbeGeneration(bool& longFormat);
