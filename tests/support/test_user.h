#pragma once
// The unprivileged user "velmoratest" that permission tests run the
// programs as (root ignores file permissions). Created with useradd when it
// does not exist yet; another test program may be creating it at the same
// time, which is tolerated.

#include <cstdlib>
#include <optional>
#include <pwd.h>
#include <string>
#include <sys/types.h>
#include <unistd.h>

struct TestUser {
    uid_t uid;
    gid_t gid;
};

inline constexpr char kTestUserName[] = "velmoratest";

// The test user, or nothing with the reason in `why` (not root, no useradd).
inline std::optional<TestUser> EnsureTestUser(std::string& why)
{
    if (::geteuid() != 0) {
        why = "runs as root only (it runs the programs as the user velmoratest)";
        return std::nullopt;
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (const passwd* pw = ::getpwnam(kTestUserName))
            return TestUser{pw->pw_uid, pw->pw_gid};
        if (attempt == 0)
            (void)std::system("useradd --no-create-home --shell /usr/sbin/nologin velmoratest >/dev/null 2>&1");
    }
    why = "the user velmoratest could not be created";
    return std::nullopt;
}
