// sources: players/controls.cpp -linih
// Feeds arbitrary bytes to the controls reader: it must never fail, every
// binding it gives must point inside the key table, and what it prints must
// read back to the same bindings without a message.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "players/controls.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ControlsReading r = parseControls(text, "fuzz");
    for (int index : r.controls.characters)
        if (index != UNBOUND && (index < 0 || index >= PLAYER_COUNT * ACTION_COUNT))
            std::abort();
    for (int index : r.controls.specials)
        if (index != UNBOUND && (index < 0 || index >= PLAYER_COUNT * ACTION_COUNT))
            std::abort();
    for (const auto& pad : r.controls.pads)
        for (int action : pad)
            if (action != UNBOUND && (action < 0 || action >= ACTION_COUNT))
                std::abort();
    for (const std::string& message : r.messages)
        if (message.rfind("fuzz", 0) != 0)
            std::abort();

    const ControlsReading again = parseControls(formatControls(r.controls), "printed");
    if (!again.messages.empty() || again.controls.characters != r.controls.characters ||
        again.controls.specials != r.controls.specials || again.controls.pads != r.controls.pads)
        std::abort();
    return 0;
}
