#pragma once

// The reads, writes and checks asked for and not yet done.
struct TransferFlags {
    bool uploadRequested = false;
    bool downloadRequested = false;
    // A change that moves other items' ranges (a scaling limit, an alarm or input type): the
    // items are read again after the write.
    bool rereadFlag = false;
    // The online start has read every item once; later ones read the range items only.
    bool rangeOnlyFlag = false;
    // The controller's unit configuration must match the one held (unitConfig) at the next online
    // start.
    bool unitCheckFlag = false;
    // The next check keeps the unit configuration held (from a settings file given at start-up)
    // instead of taking the controller's.
    bool keepUnitFlag = false;
};
