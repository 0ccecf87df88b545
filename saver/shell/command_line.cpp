#include "shell/command_line.hpp"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

namespace vorlune::saver {

char ModeLetter(std::string_view arguments, LeadBytePredicate isLead) {
    const std::string_view second = CharacterAt(arguments, 1, isLead);
    if (second.size() != 1) return 0;
    return UpperAscii(second[0]);
}

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Reads a leading decimal number the forgiving way: blanks anywhere are
// skipped, the first character that cannot continue the number ends it.
double LeadingNumber(std::string_view text) {
    std::string digits;
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && IsBlank(text[i])) ++i;
    };
    skipBlanks();
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) digits += text[i++];
    bool seenPoint = false;
    bool seenDigit = false;
    for (;; ++i) {
        skipBlanks();
        if (i >= text.size()) break;
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digits += c;
            seenDigit = true;
        } else if (c == '.' && !seenPoint) {
            digits += c;
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!seenDigit) return 0.0;
    return std::strtod(digits.c_str(), nullptr);
}

}  // namespace

std::int32_t HostHandle(std::string_view arguments, LeadBytePredicate isLead) {
    // Skip the first three characters, as many bytes as they take.
    std::size_t offset = 0;
    for (std::size_t i = 0; i < 3 && offset < arguments.size(); ++i) {
        offset += CharacterAt(arguments.substr(offset), 0, isLead).size();
    }
    const double number = std::nearbyint(LeadingNumber(arguments.substr(offset)));
    if (!(number >= std::numeric_limits<std::int32_t>::min() &&
          number <= std::numeric_limits<std::int32_t>::max())) {
        return 0;
    }
    return static_cast<std::int32_t>(number);
}

FirstStep DecideFirstStep(bool previousInstance, char modeLetter) {
    if (previousInstance) return FirstStep::EndSilently;
    if (modeLetter == 'P') return FirstStep::Preview;
    return FirstStep::LoadSettings;
}

SecondDecision DecideSecondStep(std::string_view arguments, char modeLetter, bool rendererFound) {
    if (!rendererFound) return {SecondStep::MissingRenderer, false};
    if (modeLetter == 'C') return {SecondStep::SettingsDialog, false};
    if (!arguments.empty() && modeLetter != 'S') return {SecondStep::EndSilently, false};
    return {SecondStep::Run, modeLetter == 'S'};
}

std::int32_t PreviewTwips(std::int32_t pixels, std::int32_t twipsPerPixel) {
    const std::int64_t twips = static_cast<std::int64_t>(pixels) * twipsPerPixel;
    if (twips < std::numeric_limits<std::int32_t>::min() ||
        twips > std::numeric_limits<std::int32_t>::max()) {
        return 0;
    }
    return static_cast<std::int32_t>(twips);
}

}  // namespace vorlune::saver
