// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The fast line (setting comfast): an exchange that waits for a reply reads it
// as soon as it has arrived whole instead of after the designed wait and
// polls, and gives up no sooner than the designed exchange would. A reply
// missed or garbled on the fast line puts the rest of the running operation
// at the designed pace (the traffic window notes it once); the next operation
// tries the fast line again. Off, every exchange runs exactly as designed.
class CFastLine
{
public:
    enum class State {
        Off,      // the setting is off
        On,       // exchanges read at the controller's pace
        FellBack, // the running or the last operation went on at the designed pace
    };

    // Taken from the setting at start-up, like every line setting.
    static void SetEnabled(bool on);
    static bool IsEnabled();
    static State Current();

    // Whether the next exchange reads the fast way.
    static bool IsActive();
    // A reply was missed or garbled on the fast line: the rest of the
    // operation runs at the designed pace.
    static void FallBack();
    // The operation ended (the outermost CBusyScope closed).
    static void OperationEnded();
};
