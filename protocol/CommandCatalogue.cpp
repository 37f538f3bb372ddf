#include "protocol/CommandCatalogue.h"

#include <algorithm>

namespace orv::protocol {

std::optional<CommandEntry> FindCommand(std::uint8_t code) {
    const auto it = std::find_if(kCommandCatalogue.begin(), kCommandCatalogue.end(),
                                 [&](const CommandEntry& e) { return e.code == code; });
    if (it == kCommandCatalogue.end()) return std::nullopt;
    return *it;
}

std::string_view CommandAnswerText(std::uint8_t code) {
    const auto entry = FindCommand(code);
    return entry ? entry->answerText : kUnknownCommandText;
}

}  // namespace orv::protocol
