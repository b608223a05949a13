// The registry's list; Any_running asks each profile's own running flag.
#include "trace/Profile_registry.h"

#include <algorithm>

#include "trace/VxProfile.h"

Profile_registry& Profile_registry::Instance() {
    static Profile_registry registry;
    return registry;
}

void Profile_registry::Add(VxProfile* profile) { profiles_.push_back(profile); }

void Profile_registry::Remove(VxProfile* profile) {
    profiles_.erase(std::remove(profiles_.begin(), profiles_.end(), profile), profiles_.end());
}

bool Profile_registry::Any_running() const {
    return std::any_of(profiles_.begin(), profiles_.end(), [](const VxProfile* p) { return p->Is_moving(); });
}
