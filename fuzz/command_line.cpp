// The command-line rules on arbitrary argument texts, under both the code
// page 932 lead-byte rule and a single-byte one. Input: one byte of flags
// (bit 2: which rule), the preview's pixels and twips per pixel (four bytes
// each), then the argument text.
// Beyond the sanitizers: the letter is one of the text's own characters and
// never a lower-case one, a text without a digit has no host handle, one
// written after "/p ", "/p:" or a two-byte character reads back, and the
// preview size is the exact product or 0 when that does not fit.

#include "shell/command_line.hpp"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "check.hpp"

namespace {

using namespace vorlune::saver;

std::int32_t Int32At(const std::uint8_t* bytes) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    return static_cast<std::int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint8_t head[9] = {};
    std::memcpy(head, data, size < sizeof head ? size : sizeof head);
    const std::string_view arguments =
        size > sizeof head ? std::string_view(reinterpret_cast<const char*>(data) + sizeof head,
                                              size - sizeof head)
                           : std::string_view();
    const LeadBytePredicate isLead = (head[0] & 4) != 0 ? IsCp932LeadByte : IsSingleByte;

    const char letter = ModeLetter(arguments, isLead);
    Check(!(letter >= 'a' && letter <= 'z'));
    Check(letter == 0 || arguments.find(letter) != std::string_view::npos ||
          arguments.find(static_cast<char>(letter + 32)) != std::string_view::npos);
    const std::int32_t host = HostHandle(arguments, isLead);
    if (arguments.find_first_of("0123456789") == std::string_view::npos) Check(host == 0);

    const std::int32_t pixels = Int32At(head + 1);
    const std::int32_t perPixel = Int32At(head + 5);
    const std::int64_t exact = static_cast<std::int64_t>(pixels) * perPixel;
    const bool fits = exact >= INT32_MIN && exact <= INT32_MAX;
    Check(PreviewTwips(pixels, perPixel) == (fits ? exact : 0));

    // Any handle the host may pass reads back, after either separator, and
    // after a two-byte character, which counts as one of the three skipped.
    for (const char* mode : {"/p ", "/P:", "/c:"}) {
        const std::string text = mode + std::to_string(pixels);
        Check(HostHandle(text, isLead) == pixels);
        Check(ModeLetter(text, isLead) == mode[1] - (mode[1] >= 'a' ? 32 : 0));
    }
    Check(HostHandle("/\x83\x41:" + std::to_string(perPixel), IsCp932LeadByte) == perPixel);
    return 0;
}
