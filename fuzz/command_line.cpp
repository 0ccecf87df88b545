// The command-line rules on arbitrary argument texts, under both the code
// page 932 lead-byte rule and a single-byte one. The mode table itself is the
// unit tests'; here the letter, the host handle and the preview size are
// checked against rules of their own. Input: one byte of flags
// (an earlier copy running, the renderer found, which rule), the preview's
// pixels and twips per pixel (four bytes each), then the argument text.

#include "shell/command_line.hpp"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

using namespace vorlune::saver;

void Check(bool condition) {
    if (!condition) std::abort();
}

std::int32_t Int32At(const std::uint8_t* bytes) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    return static_cast<std::int32_t>(value);
}

// Where the character after the one at offset starts: a lead byte with a
// byte after it takes two.
std::size_t NextCharacter(std::string_view text, std::size_t offset, LeadBytePredicate isLead) {
    const bool lead = isLead(static_cast<unsigned char>(text[offset]));
    return offset + (lead && offset + 1 < text.size() ? 2 : 1);
}

bool IsNumberBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint8_t head[9] = {};
    std::memcpy(head, data, size < sizeof head ? size : sizeof head);
    const std::string_view arguments =
        size > sizeof head ? std::string_view(reinterpret_cast<const char*>(data) + sizeof head,
                                              size - sizeof head)
                           : std::string_view();
    const bool previousInstance = (head[0] & 1) != 0;
    const bool rendererFound = (head[0] & 2) != 0;
    const LeadBytePredicate isLead = (head[0] & 4) != 0 ? IsCp932LeadByte : IsSingleByte;

    // The letter: none, or the second character upper-cased when it is one byte.
    const char letter = ModeLetter(arguments, isLead);
    Check(!(letter >= 'a' && letter <= 'z'));
    std::size_t second = arguments.empty() ? 0 : NextCharacter(arguments, 0, isLead);
    if (second >= arguments.size() || NextCharacter(arguments, second, isLead) != second + 1) {
        Check(letter == 0);
    } else {
        const char c = arguments[second];
        Check(letter == (c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c));
    }

    // the decisions take every letter and argument text without failing
    (void)DecideFirstStep(previousInstance, letter);
    (void)DecideSecondStep(arguments, letter, rendererFound);

    // The host handle: for a plain run of digits after the first three
    // characters and blanks, exactly that number; never anything for a
    // text without a digit.
    const std::int32_t host = HostHandle(arguments, isLead);
    std::size_t offset = 0;
    for (int i = 0; i < 3 && offset < arguments.size(); ++i)
        offset = NextCharacter(arguments, offset, isLead);
    const std::string_view rest = arguments.substr(offset);
    if (rest.find_first_of("0123456789") == std::string_view::npos) Check(host == 0);
    std::size_t i = 0;
    while (i < rest.size() && IsNumberBlank(rest[i])) ++i;
    std::int64_t plain = 0;
    std::size_t digits = 0;
    for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9' && digits < 9; ++i, ++digits)
        plain = plain * 10 + (rest[i] - '0');
    if (digits > 0 && digits < 9 && (i == rest.size() || rest[i] == '/' || rest[i] == 'x'))
        Check(host == plain);

    // The preview size: the exact product, or 0 when it does not fit.
    const std::int32_t pixels = Int32At(head + 1);
    const std::int32_t perPixel = Int32At(head + 5);
    const std::int32_t twips = PreviewTwips(pixels, perPixel);
    const long double exact = static_cast<long double>(pixels) * perPixel;
    if (exact >= -2147483648.0L && exact <= 2147483647.0L) {
        Check(static_cast<long double>(twips) == exact);
    } else {
        Check(twips == 0);
    }
    return 0;
}
