#include "server/entropy.h"

#include <sys/random.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "net/meeting_protocol.h"

void fillRandom(void* data, std::size_t size)
{
    auto* at = static_cast<unsigned char*>(data);
    while (size > 0) {
        const ssize_t got = getrandom(at, size, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            // Guessable codes would let anyone into anyone's room: better not run.
            std::perror("zandrel-server: getrandom");
            std::abort();
        }
        at += got;
        size -= std::size_t(got);
    }
}

std::string randomRoomCode()
{
    // Bytes at or above the last whole multiple of the alphabet would favour its first letters.
    constexpr unsigned FAIR = 256 / ROOM_CODE_ALPHABET * ROOM_CODE_ALPHABET;
    std::string code;
    while (code.size() < ROOM_CODE_LENGTH) {
        unsigned char bytes[16];
        fillRandom(bytes, sizeof bytes);
        for (unsigned char b : bytes)
            if (b < FAIR && code.size() < ROOM_CODE_LENGTH)
                code.push_back(ROOM_CODE_LETTERS[b % ROOM_CODE_ALPHABET]);
    }
    return code;
}

std::uint64_t randomToken()
{
    std::uint64_t token = 0;
    while (token == 0)
        fillRandom(&token, sizeof token);
    return token;
}
