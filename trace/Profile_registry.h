// The shared list of every value profile, so the main loop can ask whether anything moves.
// Profiles register once and are never removed; their owners live until exit. UI thread only.
#pragma once

#include <vector>

class VxProfile;

class Profile_registry {
public:
    static Profile_registry& Instance();

    void Add(VxProfile* profile);
    void Remove(VxProfile* profile);  // for owners that do die before exit (tests, temporary images)

    // True while any registered profile is under way.
    bool Any_running() const;

private:
    std::vector<VxProfile*> profiles_;
};
