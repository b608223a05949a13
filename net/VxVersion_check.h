// The distribution server's services: the start notification, the version check with its offer to
// fetch and start the new installer. The check connects once per run; its answer is kept.
// User-interface thread only.
#pragma once

#include <string>

#include "Tavrix_version.h"

// The version identifier the servers know us by: "v" and the program's version.
inline constexpr const char* Own_version = "v" TAVRIX_VERSION_TEXT;

// Tells the distribution server that the jukebox started: our version and the installation's random
// identifier, nothing else. Nothing is sent while "CheckNewVersionOnStartup" is off or no
// distribution server is configured (the trace then says "Connection SKIPPED...").
void Send_start_notification();

// True when the server's version is newer than ours (plain text comparison). Only the first call of
// a run asks the server; every call hands back the newest version text of that first call
// ("" before it, "no match" when the server gave no plain version identifier). With no distribution
// server configured nothing is asked or shown: "Connection SKIPPED...", false and "".
bool Determine_new_version(std::string& newest);

// When a newer version exists: offers to start its installer from "../files/" or to download it
// there first, then starts it and quits the jukebox through the shell. Where programs come as the
// system's packages (Linux) it says which version is new and where it is published, and starts nothing.
void Offer_new_version();

// The random identifier of this installation, made at its first use and kept in "tavrix_id.txt".
std::string Installation_id();
