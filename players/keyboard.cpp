#include "players/keyboard.h"

#include <algorithm>

namespace {

// Unshifted and shifted characters of one key, in Latin-1 as GLUT reports
// them, for the keys whose pair is not a letter's case.
constexpr unsigned char SHIFT_PAIRS[][2] = {
    // US
    {'1', '!'},
    {'2', '@'},
    {'3', '#'},
    {'4', '$'},
    {'5', '%'},
    {'6', '^'},
    {'7', '&'},
    {'8', '*'},
    {'9', '('},
    {'0', ')'},
    {'-', '_'},
    {'=', '+'},
    {'`', '~'},
    {'[', '{'},
    {']', '}'},
    {'\\', '|'},
    {';', ':'},
    {'\'', '"'},
    {',', '<'},
    {'.', '>'},
    {'/', '?'},
    // UK
    {'2', '"'},
    {'3', 0xA3},
    {'\'', '@'},
    {'#', '~'},
    {'`', 0xAC},
    // German
    {'3', 0xA7},
    {'6', '&'},
    {'7', '/'},
    {'8', '('},
    {'9', ')'},
    {'0', '='},
    {0xDF, '?'},
    {0xB4, '`'},
    {'+', '*'},
    {'#', '\''},
    {'<', '>'},
    {',', ';'},
    {'.', ':'},
    {'^', 0xB0},
    // French: the digits are the shifted characters of the top row
    {'&', '1'},
    {0xE9, '2'},
    {'"', '3'},
    {'\'', '4'},
    {'(', '5'},
    {'-', '6'},
    {0xE8, '7'},
    {'_', '8'},
    {0xE7, '9'},
    {0xE0, '0'},
    {')', 0xB0},
    {'=', '+'},
    {0xF9, '%'},
    {'*', 0xB5},
    {',', '?'},
    {';', '.'},
    {':', '/'},
    {'!', 0xA7},
    {'$', 0xA3},
    {'^', 0xA8},
};

// The other case of a Latin-1 letter, or the character itself.
unsigned char otherCase(unsigned char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return static_cast<unsigned char>(c - 0x20);
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<unsigned char>(c + 0x20);
    return c;
}

}  // namespace

int characterEntry(const Controls& controls, unsigned char key)
{
    return controls.characters[key];
}

int specialEntry(const Controls& controls, int key)
{
    if (key < 0 || key >= SPECIAL_KEY_CODES)
        return UNBOUND;
    return controls.specials[key];
}

std::vector<int> releasedEntries(const Controls& controls, unsigned char key)
{
    std::vector<int> entries;
    const auto add = [&](unsigned char c) {
        const int entry = controls.characters[c];
        if (entry != UNBOUND && std::find(entries.begin(), entries.end(), entry) == entries.end())
            entries.push_back(entry);
    };
    add(key);
    add(otherCase(key));
    for (const auto& pair : SHIFT_PAIRS) {
        if (pair[0] == key)
            add(pair[1]);
        if (pair[1] == key)
            add(pair[0]);
    }
    return entries;
}
