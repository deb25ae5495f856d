// Caption texts of skinned windows and controls: shortening a caption to a width
// (`FitCaption`, with the text measure injected so it runs without a canvas), replacing
// substrings (`ReplaceText`) and removing mnemonic ampersands (`StripAmpersands`). 8-bit texts,
// one byte per character. Pure functions; thread-safe when the measure is.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// Win32's commdlg.h (through windows.h) makes ReplaceText a macro for ReplaceTextA, which would
// rename the routine below in Win32 code that includes this header after windows.h.
#ifdef ReplaceText
#undef ReplaceText
#endif

namespace skin {

// Width in pixels of a text in the font the caption is drawn with. The widths of the prefixes
// of a text never shrink as the prefix grows (true of GDI text extents).
using TextWidthFn = std::function<int(std::string_view text)>;

// `FitCaption`: the text itself when it is at most `limit` wide (and the empty or one-character
// text in any case); otherwise the longest prefix followed by "..." that is at most `limit`
// wide, and never less than the first character followed by "...", even when that is wider.
std::string FitCaption(std::string_view text, int limit, const TextWidthFn& width);

// `ReplaceText`: the text with every occurrence of `pattern` replaced by `replacement`, in one
// pass from left to right (replacements are not searched again, occurrences do not overlap).
// An empty pattern returns the text unchanged.
std::string ReplaceText(std::string_view text, std::string_view pattern,
                        std::string_view replacement);

// `StripAmpersands`: the caption as it reads without mnemonics: each single "&" is removed and
// "&&" (an escaped ampersand) becomes "&".
std::string StripAmpersands(std::string_view text);

}  // namespace skin
