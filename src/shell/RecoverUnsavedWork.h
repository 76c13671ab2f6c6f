#pragma once

// File, Recover Unsaved Work, and the same offer at start: the copies of unsaved work that an editor
// which ended unexpectedly left behind are listed; Recover opens each as a modified document after
// its password, Discard removes them, Later keeps them for the next time. Asked from the menu with no
// copy to offer, it says so; at start it then shows nothing.
void OfferRecovery(bool bAsked);
// Whether there are copies to offer.
bool HasRecoveryCopies();
