#pragma once

// The busy cursor over the whole application. Calls nest: each show needs its restore, and the
// previous cursor comes back with the last one.
void showBusyCursor();
void restoreCursor();

// Shows the busy cursor for its lifetime, so that every exit path restores the cursor.
class BusyCursor {
public:
    BusyCursor() { showBusyCursor(); }
    ~BusyCursor() { restoreCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};
