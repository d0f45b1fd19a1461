#pragma once

namespace plat::ui {

// Shows the busy cursor for as long as it lives; the cursor comes back on every
// way out of the scope, an exception included. Scopes may nest.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

    // Gives the cursor back before the scope ends (for a message shown while
    // the work is done); the destructor then does nothing.
    void restore();

private:
    bool m_active = true;
};

} // namespace plat::ui
