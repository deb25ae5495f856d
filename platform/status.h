// The table engine's status codes and their texts, looked up like string resources.
// Used by the engine's "get error text" operation and by the facade's exceptions.
// Stateless and thread-safe.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Copies the text of string resource `code` (at most 127 characters). Returns false, and an
// empty text, for a code without a text.
bool LoadStatusText(uint16_t code, std::string& text);

}  // namespace platform
