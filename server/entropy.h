#pragma once

// Randomness from the kernel (getrandom): room codes, punch tokens and the
// cookie secret must not be guessable from what the server sent before.
#include <cstddef>
#include <cstdint>
#include <string>

void fillRandom(void* data, std::size_t size);
// Six letters of ROOM_CODE_LETTERS, each as likely as the others.
std::string randomRoomCode();
// Never 0.
std::uint64_t randomToken();
