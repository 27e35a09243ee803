// sources: scene/bmp.cpp
// Feeds arbitrary bytes to the BMP decoder: it must refuse or decode, never
// read or write out of bounds, and any picture it returns must be whole.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "scene/bmp.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The decoder's messages would drown the fuzzer's output. Only the stream
    // is swapped: libFuzzer keeps its own handle and the sanitizers write to
    // descriptor 2, so reports still show.
    if (std::FILE* quiet = std::fopen("/dev/null", "w"))
        stderr = quiet;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    BitmapImage* image = decodeBmpMemory(data, size);
    if (image == nullptr)
        return 0;
    if (image->width <= 0 || image->height <= 0 || image->pixels == nullptr)
        std::abort();
    // Touch every byte so that a short block shows up under the sanitizer.
    unsigned sum = 0;
    const std::size_t bytes = static_cast<std::size_t>(image->width) * image->height * 3;
    for (std::size_t i = 0; i < bytes; ++i)
        sum += image->pixels[i];
    if (sum == 0xFFFFFFFFu)
        std::printf("%u\n", sum);
    freeBitmapImage(image);
    return 0;
}
