// The address rule of the cover services, on real-looking addresses: HTTPS anywhere, plain HTTP to
// the loopback test server only, and nothing that merely looks like either.
#include "net/Net_servers.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/test_support.h"

TEST(Secure_address, HttpsAnywhereAndPlainHttpOnlyToTheLoopbackAddress) {
    for (const char* url : {"https://musicbrainz.org/ws/2/release/?query=x&fmt=json",
                            "https://coverartarchive.org/release/0b3c6b6e-1c0f-4a5e-9a43-3c4b0f1d2e3f/front-500",
                            "HTTPS://ia800.us.archive.org/12/items/mbid-x/front.jpg", "https://archive.org",
                            "http://127.0.0.1/", "http://127.0.0.1:8080/ws/2/release/?q", "http://127.0.0.1?x"})
        EXPECT_TRUE(Net_servers::Secure_address(url)) << url;
    for (const char* url :
         {"http://coverartarchive.org/release/x/front-500", "http://archive.org/download/mbid-x/x-500.jpg",
          "http://127.0.0.1.attacker.example/a.jpg", "http://127.0.0.1@attacker.example/a.jpg",
          "http://127.0.0.1:80@attacker.example/", "http://127.0.0.1:/", "http://127.0.0.1:123456/",
          "http://localhost:8080/", "http://[::1]/", "ftp://archive.org/a.jpg", "file:///etc/passwd", "https://",
          "https:///path", "//archive.org/a.jpg", "/release/x/front-500", "", "javascript:alert(1)",
          "https://exa mple.org/"})
        EXPECT_FALSE(Net_servers::Secure_address(url)) << url;
}

TEST(Net_servers, TheCoverServicesHaveTheirPublicAddressesUnlessNamedOrSwitchedOff) {
    TestSupport::Unset_env("TAVRIX_MUSICBRAINZ_SERVER");
    TestSupport::Unset_env("TAVRIX_COVER_ART_SERVER");
    EXPECT_EQ(Net_servers::Music_brainz(), "https://musicbrainz.org/ws/2/");
    EXPECT_EQ(Net_servers::Cover_art_archive(), "https://coverartarchive.org/");
    TestSupport::Set_env("TAVRIX_MUSICBRAINZ_SERVER", "http://127.0.0.1:5000/ws/2");
    EXPECT_EQ(Net_servers::Music_brainz(), "http://127.0.0.1:5000/ws/2/");
    // "off" in any case switches a service off on every system; a name that merely begins with it does not.
    for (const char* off : {"off", "OFF", "Off"}) {
        TestSupport::Set_env("TAVRIX_COVER_ART_SERVER", off);
        EXPECT_EQ(Net_servers::Cover_art_archive(), "") << off;
    }
    TestSupport::Set_env("TAVRIX_COVER_ART_SERVER", "offline.example");
    EXPECT_EQ(Net_servers::Cover_art_archive(), "offline.example/");
#ifndef _WIN32
    // Where an empty variable exists (Windows deletes it), empty is off as well.
    TestSupport::Set_env("TAVRIX_COVER_ART_SERVER", "");
    EXPECT_EQ(Net_servers::Cover_art_archive(), "");
#endif
}
